#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

namespace scanlet {

// The count caption and the scan region's outline, drawn on the whole frame.
void drawOverlays(cv::Mat& frame, const cv::Rect& region, std::int32_t codeCount);

// An accepted code's outline, corner to corner in the decoder's order.
void outlineCode(cv::Mat& region, const std::vector<cv::Point>& corners);

}
