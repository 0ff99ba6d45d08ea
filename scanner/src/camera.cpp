#include "camera.h"

namespace scanlet {

bool openCamera(cv::VideoCapture& camera)
{
    for (int index = 0; index <= 2; ++index) {
        if (camera.open(index, cv::CAP_ANY)) {
            return true;
        }
    }
    return false;
}

}
