#pragma once

#include "decoder.h"

#include <opencv2/core.hpp>

namespace scanlet {

// The central quarter of a frame of the given size, where codes are decoded.
cv::Rect scanRegion(const cv::Size& frameSize);

// Decodes the region view, counts and reports a code new to this run, and
// outlines every accepted code in the view. Returns true when the decoder
// failed; the frame is then to be dropped.
bool detectInRegion(Decoder& decoder, cv::Mat& region);

}
