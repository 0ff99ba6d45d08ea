#pragma once

#include <opencv2/core.hpp>

#include <string>

namespace bench {

// The code for text as a single-channel image, black modules on white, quiet
// zone included, each module moduleSize pixels square.
cv::Mat codeImage(const std::string& text, int moduleSize);

// The number of modules across the code for text, quiet zone included.
int modulesAcross(const std::string& text);

}
