#include "run/overlays.h"

#include <opencv2/imgproc.hpp>

#include <sstream>

namespace scanlet {
namespace {

const cv::Scalar regionColour(255, 0, 0);
const cv::Scalar captionColour(0, 255, 0);
const cv::Scalar codeColour(0, 255, 0);
constexpr int lineThickness = 2;

}

void drawOverlays(cv::Mat& frame, const cv::Rect& region, std::int32_t codeCount)
{
    std::stringstream caption;
    caption << "QR Codes Detected: " << codeCount;
    cv::putText(frame, caption.str(), cv::Point(20, 40), cv::FONT_HERSHEY_SIMPLEX, 1.0, captionColour,
                lineThickness, cv::LINE_8, false);
    cv::rectangle(frame, region, regionColour, lineThickness, cv::LINE_8, 0);
}

void outlineCode(cv::Mat& region, const std::vector<cv::Point>& corners)
{
    for (std::size_t i = 0; i < corners.size(); ++i) {
        cv::line(region, corners[i], corners[(i + 1) % corners.size()], codeColour, lineThickness, cv::LINE_8, 0);
    }
}

}
