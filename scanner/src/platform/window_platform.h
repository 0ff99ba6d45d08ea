#pragma once

namespace scanlet {

// Whether the platform that Qt, the window toolkit of OpenCV on Linux, will
// use can be reached: Qt ends the whole process when it cannot connect to it.
bool isPlatformReachable();

}
