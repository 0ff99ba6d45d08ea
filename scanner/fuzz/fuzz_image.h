#pragma once

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

// How a fuzz input describes an image for the acceptance step: a header of
// width, height, channels and flags, then pixel bytes, repeated to fill the
// image when there are too few. Every input, however short, is some image.
namespace fuzz_image {

constexpr std::size_t headerSize = 6;
constexpr int maxWidth = 8192;
constexpr int maxHeight = 2048;
// Bounds the work per input, so that the run covers many inputs in its time.
constexpr int maxPixels = 1 << 20;

enum Flags : std::uint8_t {
    // Pixels of 16 bits instead of 8.
    wideDepth = 1,
    // The whole image is the region, rather than the central view of a frame.
    wholeImage = 2,
};

struct Image {
    cv::Mat frame;
    bool wholeImage = false;
};

inline Image decode(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t header[headerSize] = {};
    for (std::size_t i = 0; i < headerSize && i < size; ++i) {
        header[i] = data[i];
    }
    const int width = 1 + (header[0] | header[1] << 8) % maxWidth;
    int height = 1 + (header[2] | header[3] << 8) % maxHeight;
    height = std::max(1, std::min(height, maxPixels / width));
    const int channels = 1 + header[4] % 4;
    const int depth = (header[5] & wideDepth) != 0 ? CV_16U : CV_8U;

    Image image;
    image.wholeImage = (header[5] & wholeImage) != 0;
    image.frame.create(height, width, CV_MAKETYPE(depth, channels));
    const std::size_t bytes = image.frame.total() * image.frame.elemSize();
    const std::uint8_t* pixels = data + std::min(size, headerSize);
    const std::size_t available = size - std::min(size, headerSize);
    for (std::size_t i = 0; i < bytes; ++i) {
        image.frame.data[i] = available == 0 ? 0 : pixels[i % available];
    }
    return image;
}

inline std::vector<std::uint8_t> encode(const cv::Mat& frame, std::uint8_t flags)
{
    const int width = frame.cols - 1;
    const int height = frame.rows - 1;
    std::vector<std::uint8_t> data = {
        static_cast<std::uint8_t>(width & 0xFF), static_cast<std::uint8_t>(width >> 8),
        static_cast<std::uint8_t>(height & 0xFF), static_cast<std::uint8_t>(height >> 8),
        static_cast<std::uint8_t>(frame.channels() - 1), flags};
    const cv::Mat continuous = frame.clone();
    data.insert(data.end(), continuous.data, continuous.data + continuous.total() * continuous.elemSize());
    return data;
}

}
