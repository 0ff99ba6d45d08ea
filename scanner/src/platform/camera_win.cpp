// Windows offers its cameras through Media Foundation and DirectShow; OpenCV
// tries them in that order when left to choose.
#include "platform/camera.h"

namespace scanlet {

const int cameraApi = cv::CAP_ANY;

}
