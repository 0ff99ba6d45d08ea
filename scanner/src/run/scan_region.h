#pragma once

#include <opencv2/core.hpp>

namespace scanlet {

// The frame size the camera is asked for, and that footage is made in.
const cv::Size fullHd(1920, 1080);

// The central quarter of a frame of the given size, where codes are decoded.
cv::Rect scanRegion(const cv::Size& frameSize);

}
