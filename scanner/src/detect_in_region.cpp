#include "detect_in_region.h"

#include "detector_state.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <iostream>
#include <mutex>

namespace scanlet {
namespace {

const cv::Scalar outlineColour(0, 255, 0);
constexpr int outlineThickness = 2;

bool isAccepted(const Decoded& decoded, const cv::Mat& region)
{
    if (decoded.text.empty() || decoded.corners.size() != 4) {
        return false;
    }
    return std::all_of(decoded.corners.begin(), decoded.corners.end(), [&](const cv::Point& corner) {
        return corner.x >= 0 && corner.x < region.cols && corner.y >= 0 && corner.y < region.rows;
    });
}

void outline(cv::Mat& region, const std::vector<cv::Point>& corners)
{
    for (std::size_t i = 0; i < corners.size(); ++i) {
        cv::line(region, corners[i], corners[(i + 1) % corners.size()], outlineColour, outlineThickness, cv::LINE_8,
                 0);
    }
}

}

cv::Rect scanRegion(const cv::Size& frameSize)
{
    return {frameSize.width / 4, frameSize.height / 4, frameSize.width / 2, frameSize.height / 2};
}

bool detectInRegion(Decoder& decoder, cv::Mat& region)
{
    Decoded decoded;
    try {
        decoded = decoder.decode(region);
    } catch (const cv::Exception& error) {
        std::cerr << "OpenCV error in QR detection: " << error.what() << std::endl;
        return true;
    } catch (const DecoderError& error) {
        std::cerr << error.source << " error in QR detection: " << error.what() << std::endl;
        return true;
    }

    if (!isAccepted(decoded, region)) {
        return false;
    }

    std::lock_guard<std::mutex> lock(state.stateMutex);
    if (state.seenCodes.insert(decoded.text).second) {
        ++state.codeCount;
        if (state.codeCallback != nullptr) {
            state.codeCallback(decoded.text.c_str());
        }
    }
    outline(region, decoded.corners);
    return false;
}

}
