#include "run/error_message.h"

#include <opencv2/core.hpp>

namespace scanlet {
namespace {

// Either separator: OpenCV may have been built on Windows or elsewhere.
std::string fileName(const std::string& path)
{
    const auto separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}

std::string errorMessage(const std::exception& error)
{
    std::string message = error.what();
    if (const auto* opencvError = dynamic_cast<const cv::Exception*>(&error)) {
        const std::string& path = opencvError->file;
        const auto at = path.empty() ? std::string::npos : message.find(path);
        if (at != std::string::npos) {
            message.replace(at, path.size(), fileName(path));
        }
    }
    // OpenCV ends its messages with a line break of its own.
    while (!message.empty() && message.back() == '\n') {
        message.pop_back();
    }
    return message;
}

}
