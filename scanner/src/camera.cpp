#include "camera.h"

#include "scan_region.h"

namespace scanlet {

bool Camera::open()
{
    for (int index = 0; index <= 2; ++index) {
        if (capture.open(index, cv::CAP_ANY)) {
            // Cameras that cannot deliver this size choose their own; the
            // run works with whatever frames arrive.
            capture.set(cv::CAP_PROP_FRAME_WIDTH, fullHd.width);
            capture.set(cv::CAP_PROP_FRAME_HEIGHT, fullHd.height);
            return true;
        }
    }
    return false;
}

}
