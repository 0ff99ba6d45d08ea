// Linux webcams are Video4Linux devices. Left to choose (cv::CAP_ANY), OpenCV
// tries GStreamer, FireWire, uEye and gPhoto2 as well for each index: the
// probe then takes a few hundred milliseconds instead of under one, under
// load long enough to outlast a start's wait, and a host that exits then
// tears the FireWire library down under the probe. gPhoto2 also keeps some
// 440 KiB of every run that finds no camera.
#include "platform/camera.h"

namespace scanlet {

const int cameraApi = cv::CAP_V4L2;

}
