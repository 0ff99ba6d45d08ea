#pragma once

namespace scanlet {

// Body of the scanning thread: one call is one run, from opening the window
// and the camera through the frame loop to the shutdown that tells the host.
void qrCodeDetectionThread();

}
