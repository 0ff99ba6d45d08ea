#pragma once

#include <opencv2/core.hpp>

#include <filesystem>

namespace bench {

// The image in file as 8-bit grey, as cv::imread with cv::IMREAD_GRAYSCALE
// gives it; empty when it cannot be read.
cv::Mat readGreyImage(const std::filesystem::path& file);

}
