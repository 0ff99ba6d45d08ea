#pragma once

#include "platform/frame_source.h"

#include <opencv2/core.hpp>

namespace scanlet {

// The central quarter of a frame of the given size, where codes are decoded.
cv::Rect scanRegion(const cv::Size& frameSize);

}
