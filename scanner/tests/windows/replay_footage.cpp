// The frame source of the developer build of the library for Windows tests and
// the demo: each run replays the video file or image sequence named by the
// environment variable SCANLET_REPLAY_FOOTAGE instead of opening a camera.
// That build is never installed.
#include "camera.h"

#include <cstdlib>

namespace scanlet {

bool openCamera(cv::VideoCapture& camera)
{
    const char* footage = std::getenv("SCANLET_REPLAY_FOOTAGE");
    return footage != nullptr && *footage != '\0' && camera.open(footage, cv::CAP_ANY);
}

}
