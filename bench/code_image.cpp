#include "code_image.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <stdexcept>

namespace bench {
namespace {

cv::Mat modules(const std::string& text)
{
    cv::Mat encoded;
    cv::QRCodeEncoder::create()->encode(text, encoded);
    if (encoded.empty()) {
        throw std::runtime_error("cannot encode a code of " + std::to_string(text.size()) + " bytes");
    }
    return encoded;
}

}

cv::Mat codeImage(const std::string& text, int moduleSize)
{
    cv::Mat scaled;
    cv::resize(modules(text), scaled, {}, moduleSize, moduleSize, cv::INTER_NEAREST);
    return scaled;
}

int modulesAcross(const std::string& text)
{
    return modules(text).cols;
}

}
