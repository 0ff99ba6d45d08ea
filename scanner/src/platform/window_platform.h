#pragma once

namespace scanlet {

// Whether the window system the window toolkit will use can be reached. On
// Linux, Qt, the window toolkit of OpenCV there, ends the whole process when
// it cannot connect to its platform, so the library asks first.
bool isPlatformReachable();

}
