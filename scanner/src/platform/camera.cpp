#include "platform/camera.h"

namespace scanlet {

bool Camera::open()
{
    for (int index = 0; index <= 2; ++index) {
        if (capture.open(index, cameraApi)) {
            // Most USB cameras deliver full HD at 30 frames a second only as
            // MJPG; asked for the size alone, DirectShow tends to settle on an
            // uncompressed format at a few frames a second or a smaller size.
            // Asked first, the format is in place when the size is chosen.
            // Cameras that cannot deliver either choose their own; the run
            // works with whatever frames arrive.
            capture.set(cv::CAP_PROP_FOURCC, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'));
            capture.set(cv::CAP_PROP_FRAME_WIDTH, fullHd.width);
            capture.set(cv::CAP_PROP_FRAME_HEIGHT, fullHd.height);
            return true;
        }
    }
    return false;
}

}
