#include "decoding/rotating_decoder.h"

#include "decoding/deblur.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <utility>

namespace scanlet {
namespace {

// Strong enough to bring back modules blurred over about half their width,
// while a sharp code keeps its shape.
constexpr int sharpeningWindow = 7;
// Outliers at either end (a highlight, a dark corner) would otherwise set the
// stretch and leave the code's own contrast as low as before.
constexpr double stretchTail = 0.01;
// The tails are found on every fourth pixel of every fourth row: a code's
// light and dark parts span far more, and a full histogram would cost a good
// part of a decoding attempt.
constexpr int histogramStride = 4;

const cv::Mat& sharpened(const cv::Mat& grey, cv::Mat& blurred, cv::Mat& sharp)
{
    cv::blur(grey, blurred, {sharpeningWindow, sharpeningWindow});
    cv::addWeighted(grey, 2.0, blurred, -1.0, 0.0, sharp);
    return sharp;
}

const cv::Mat& stretched(const cv::Mat& grey, cv::Mat& result)
{
    std::array<int, 256> histogram{};
    int samples = 0;
    for (int row = histogramStride / 2; row < grey.rows; row += histogramStride) {
        const uchar* pixel = grey.ptr<uchar>(row);
        for (int col = histogramStride / 2; col < grey.cols; col += histogramStride) {
            ++histogram[pixel[col]];
            ++samples;
        }
    }
    const double tail = stretchTail * samples;
    int low = 0;
    for (double sum = 0; low < 255 && (sum += histogram[low]) <= tail;) {
        ++low;
    }
    int high = 255;
    for (double sum = 0; high > 0 && (sum += histogram[high]) <= tail;) {
        --high;
    }
    if (high <= low) {
        return grey;
    }
    cv::Mat lookUp(1, 256, CV_8U);
    for (int value = 0; value < 256; ++value) {
        lookUp.at<uchar>(value) = cv::saturate_cast<uchar>(255.0 * (value - low) / (high - low));
    }
    cv::LUT(grey, lookUp, result);
    return result;
}

PreparedImage single(const cv::Mat& image)
{
    const cv::Rect whole(0, 0, image.cols, image.rows);
    return {image, whole, whole};
}

PreparedImage sideBySideOf(const cv::Mat& image, const cv::Size& region)
{
    return {image, cv::Rect({0, 0}, region), cv::Rect({region.width, 0}, region)};
}

// At full size, so that small modules keep their width in both copies.
PreparedImage bothPolarities(const cv::Mat& grey, cv::Mat& sideBySide)
{
    sideBySide.create(grey.rows, grey.cols * 2, CV_8U);
    grey.copyTo(sideBySide.colRange(0, grey.cols));
    cv::bitwise_not(grey, sideBySide.colRange(grey.cols, sideBySide.cols));
    return sideBySideOf(sideBySide, grey.size());
}

// The region beside its central half at twice the size, in an image of the
// same height: the zoom is cut to the region's size.
PreparedImage zoomedCentre(const cv::Mat& grey, cv::Mat& sideBySide)
{
    const cv::Rect centre(grey.cols / 4, grey.rows / 4, grey.cols / 2, grey.rows / 2);
    if (centre.empty()) {
        return single(grey);
    }
    sideBySide.create(grey.rows, grey.cols * 2, CV_8U);
    grey.copyTo(sideBySide.colRange(0, grey.cols));
    cv::resize(grey(centre), sideBySide(cv::Rect(grey.cols, 0, centre.width * 2, centre.height * 2)),
               {centre.width * 2, centre.height * 2}, 0, 0, cv::INTER_LINEAR);
    return sideBySideOf(sideBySide, grey.size());
}

bool inSecondCopy(const std::vector<cv::Point>& corners, int regionWidth)
{
    return std::any_of(corners.begin(), corners.end(),
                       [&](const cv::Point& corner) { return corner.x >= regionWidth; });
}

// Back from the side-by-side image to the region: a code in the inverted copy
// lies one region's width to the right.
void fromInverted(std::vector<cv::Point>& corners, int regionWidth)
{
    if (inSecondCopy(corners, regionWidth)) {
        for (auto& corner : corners) {
            corner.x -= regionWidth;
        }
    }
}

// A code in the zoomed copy lies one region's width to the right, at twice
// the size of the region's central half.
void fromZoomed(std::vector<cv::Point>& corners, const cv::Size& region)
{
    if (inSecondCopy(corners, region.width)) {
        for (auto& corner : corners) {
            corner = {(corner.x - region.width) / 2 + region.width / 4, corner.y / 2 + region.height / 4};
        }
    }
}

// Back from the deblurred crop to the region.
void fromDeblurred(std::vector<cv::Point>& corners, const Deblurred& deblurred)
{
    for (auto& corner : corners) {
        corner += deblurred.origin;
    }
}

}

RotatingDecoder::RotatingDecoder(std::unique_ptr<ImageReader> reader)
    : reader(std::move(reader)), all(sharedWays.begin(), sharedWays.end())
{
    const auto own = this->reader->ownWays();
    all.insert(all.end(), own.begin(), own.end());
}

Decoded RotatingDecoder::decode(const cv::Mat& region)
{
    const Way way = all[next];
    next = (next + 1) % all.size();
    return decodeWith(region, way);
}

void RotatingDecoder::prime(const cv::Mat& image)
{
    for (const auto& way : all) {
        decodeWith(image, way);
    }
}

void RotatingDecoder::startAt(std::size_t wayIndex)
{
    next = wayIndex % all.size();
}

std::vector<Way> RotatingDecoder::ways() const
{
    return all;
}

Decoded RotatingDecoder::decodeWith(const cv::Mat& region, const Way& way)
{
    if (region.empty()) {
        return {};
    }
    const cv::Mat& grey = greyOf(region);
    if (way.preparation == Preparation::deblurred) {
        return decodeDeblurred(grey, way.binarizer);
    }
    Decoded decoded = reader->read(prepare(grey, way.preparation), way.binarizer);
    if (way.preparation == Preparation::bothPolarities) {
        fromInverted(decoded.corners, grey.cols);
    } else if (way.preparation == Preparation::zoomedCentre) {
        fromZoomed(decoded.corners, grey.size());
    }
    return decoded;
}

// A region without a blurred code to undo is read as it is, so that this way
// too reads a sharp code on the first frame it is in view.
Decoded RotatingDecoder::decodeDeblurred(const cv::Mat& grey, Binarizer binarizer)
{
    const Deblurred deblurred = scanlet::deblurred(grey);
    if (deblurred.image.empty()) {
        return reader->read(single(grey), binarizer);
    }
    Decoded decoded = reader->read(single(deblurred.image), binarizer);
    fromDeblurred(decoded.corners, deblurred);
    return decoded;
}

PreparedImage RotatingDecoder::prepare(const cv::Mat& grey, Preparation preparation)
{
    switch (preparation) {
    case Preparation::plain: break;
    case Preparation::sharpened: return single(sharpened(grey, images.blurred, images.prepared));
    case Preparation::stretched: return single(stretched(grey, images.prepared));
    case Preparation::bothPolarities: return bothPolarities(grey, images.sideBySide);
    case Preparation::zoomedCentre: return zoomedCentre(grey, images.sideBySide);
    case Preparation::deblurred: break; // a crop of the region, which decodeDeblurred maps back
    }
    return single(grey);
}

const cv::Mat& RotatingDecoder::greyOf(const cv::Mat& region)
{
    if (region.depth() != CV_8U) {
        throw DecoderError(reader->source(), "unsupported pixel depth: " + std::to_string(region.depth()));
    }
    switch (region.channels()) {
    case 1: return region;
    case 3: cv::cvtColor(region, images.grey, cv::COLOR_BGR2GRAY); return images.grey;
    case 4: cv::cvtColor(region, images.grey, cv::COLOR_BGRA2GRAY); return images.grey;
    default: throw DecoderError(reader->source(), "unsupported number of channels: " + std::to_string(region.channels()));
    }
}

}
