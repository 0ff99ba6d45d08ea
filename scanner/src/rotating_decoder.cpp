#include "rotating_decoder.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace scanlet {
namespace {

// Strong enough to bring back modules blurred over about half their width,
// while a sharp code keeps its shape.
constexpr int sharpeningWindow = 7;
// Outliers at either end (a highlight, a dark corner) would otherwise set the
// stretch and leave the code's own contrast as low as before.
constexpr double stretchTail = 0.01;

cv::Mat sharpened(const cv::Mat& grey)
{
    cv::Mat blurred;
    cv::blur(grey, blurred, {sharpeningWindow, sharpeningWindow});
    cv::Mat sharp;
    cv::addWeighted(grey, 2.0, blurred, -1.0, 0.0, sharp);
    return sharp;
}

cv::Mat stretched(const cv::Mat& grey)
{
    const int channels[] = {0};
    const int bins[] = {256};
    const float range[] = {0, 256};
    const float* ranges[] = {range};
    cv::Mat histogram;
    cv::calcHist(&grey, 1, channels, cv::noArray(), histogram, 1, bins, ranges);
    const double tail = stretchTail * static_cast<double>(grey.total());
    int low = 0;
    for (double sum = 0; low < 255 && (sum += histogram.at<float>(low)) <= tail;) {
        ++low;
    }
    int high = 255;
    for (double sum = 0; high > 0 && (sum += histogram.at<float>(high)) <= tail;) {
        --high;
    }
    if (high <= low) {
        return grey;
    }
    cv::Mat lookUp(1, 256, CV_8U);
    for (int value = 0; value < 256; ++value) {
        lookUp.at<uchar>(value) = cv::saturate_cast<uchar>(255.0 * (value - low) / (high - low));
    }
    cv::Mat result;
    cv::LUT(grey, lookUp, result);
    return result;
}

cv::Mat bothPolarities(const cv::Mat& grey)
{
    cv::Mat half;
    cv::resize(grey, half, {(grey.cols + 1) / 2, (grey.rows + 1) / 2}, 0, 0, cv::INTER_AREA);
    cv::Mat sideBySide(half.rows, half.cols * 2, CV_8U);
    half.copyTo(sideBySide.colRange(0, half.cols));
    cv::bitwise_not(half, sideBySide.colRange(half.cols, sideBySide.cols));
    return sideBySide;
}

// Back from the side-by-side image to the region: either copy maps onto the
// whole region.
void toRegion(std::vector<cv::Point>& corners, const cv::Size& sideBySide, const cv::Size& region)
{
    const int halfWidth = sideBySide.width / 2;
    const double scaleX = static_cast<double>(region.width) / halfWidth;
    const double scaleY = static_cast<double>(region.height) / sideBySide.height;
    const bool inverted =
        std::any_of(corners.begin(), corners.end(), [&](const cv::Point& corner) { return corner.x >= halfWidth; });
    for (auto& corner : corners) {
        const int x = inverted ? corner.x - halfWidth : corner.x;
        corner = {cvRound(x * scaleX), cvRound(corner.y * scaleY)};
    }
}

}

std::string nameOf(ReadingMethod method)
{
    switch (method) {
    case ReadingMethod::plain: return "plain";
    case ReadingMethod::sharpened: return "sharpened";
    case ReadingMethod::stretched: return "stretched";
    case ReadingMethod::bothPolarities: return "both polarities";
    }
    return "unknown";
}

Decoded RotatingDecoder::decode(const cv::Mat& region)
{
    const auto method = readingMethods[turn];
    turn = (turn + 1) % readingMethods.size();
    return decodeWith(region, method);
}

Decoded RotatingDecoder::decodeWith(const cv::Mat& region, ReadingMethod method)
{
    if (region.empty()) {
        return {};
    }
    const cv::Mat grey = greyOf(region);
    switch (method) {
    case ReadingMethod::plain: return read(grey);
    case ReadingMethod::sharpened: return read(sharpened(grey));
    case ReadingMethod::stretched: return read(stretched(grey));
    case ReadingMethod::bothPolarities: {
        const cv::Mat sideBySide = bothPolarities(grey);
        Decoded decoded = read(sideBySide);
        toRegion(decoded.corners, sideBySide.size(), grey.size());
        return decoded;
    }
    }
    return {};
}

cv::Mat RotatingDecoder::greyOf(const cv::Mat& region) const
{
    if (region.depth() != CV_8U) {
        throw DecoderError(source(), "unsupported pixel depth: " + std::to_string(region.depth()));
    }
    switch (region.channels()) {
    case 1: return region;
    case 3: {
        cv::Mat grey;
        cv::cvtColor(region, grey, cv::COLOR_BGR2GRAY);
        return grey;
    }
    case 4: {
        cv::Mat grey;
        cv::cvtColor(region, grey, cv::COLOR_BGRA2GRAY);
        return grey;
    }
    default: throw DecoderError(source(), "unsupported number of channels: " + std::to_string(region.channels()));
    }
}

}
