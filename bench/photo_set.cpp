#include "photo_set.h"

#include "grey_image.h"
#include "run/scan_region.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace bench {
namespace {

constexpr int shake = 4;
constexpr double noiseSigma = 2.0;

}

std::vector<Photo> loadPhotos(const std::filesystem::path& folder)
{
    std::vector<Photo> photos;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        auto textPath = entry.path();
        textPath.replace_extension(".txt");
        if (entry.path().extension() != ".png" || !std::filesystem::exists(textPath)) {
            continue;
        }
        std::ifstream textFile(textPath, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(textFile)), std::istreambuf_iterator<char>());
        cv::Mat image = readGreyImage(entry.path());
        // A photograph left out would change the figures unnoticed.
        if (image.empty()) {
            throw std::runtime_error("cannot read " + entry.path().string());
        }
        photos.push_back({std::filesystem::relative(entry.path(), folder).generic_string(), text, image});
    }
    std::sort(photos.begin(), photos.end(), [](const Photo& a, const Photo& b) { return a.name < b.name; });
    return photos;
}

cv::Mat photoFrame(const Photo& photo, int frameIndex)
{
    cv::RNG rng(static_cast<std::uint64_t>(std::hash<std::string>()(photo.name)) + frameIndex);
    const int dx = frameIndex == 0 ? 0 : rng.uniform(-shake, shake + 1);
    const int dy = frameIndex == 0 ? 0 : rng.uniform(-shake, shake + 1);
    const cv::Size size = scanlet::fullHd;
    cv::Mat grey(size, CV_8U, cv::Scalar(128));
    const cv::Rect place((size.width - photo.image.cols) / 2 + dx, (size.height - photo.image.rows) / 2 + dy,
                         photo.image.cols, photo.image.rows);
    photo.image.copyTo(grey(place));
    if (frameIndex > 0) {
        cv::Mat noise(size, CV_16S);
        rng.fill(noise, cv::RNG::NORMAL, 0, noiseSigma);
        cv::Mat wide;
        grey.convertTo(wide, CV_16S);
        wide += noise;
        wide.convertTo(grey, CV_8U);
    }
    cv::Mat frame;
    cv::cvtColor(grey, frame, cv::COLOR_GRAY2BGR);
    return frame;
}

}
