#pragma once

#include <opencv2/videoio.hpp>

namespace scanlet {

// Opens the run's frame source into camera; false when none could be opened.
// The library opens a real camera; developer builds link a replacement that
// replays footage instead.
bool openCamera(cv::VideoCapture& camera);

}
