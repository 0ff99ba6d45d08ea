#pragma once

#include "run/scan_region.h"

#include <opencv2/core.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace footage {

// A fresh folder of this process's own under the temp folder, removed with
// the object, so that test runs side by side never share footage.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return folder; }

private:
    std::filesystem::path folder;
};

// A code to draw into a frame, its top-left corner in frame coordinates.
struct Placement {
    std::string text;
    cv::Point topLeft;
    int moduleSize = 8;
};

// The code for text (its bytes, in byte mode when they are no digits or
// letters) as a single-channel image: black modules on white, the encoder's
// quiet zone included, each module moduleSize pixels square.
cv::Mat codeImage(const std::string& text, int moduleSize = 8);

// A code's modules (one pixel each, 0 dark, 255 light) drawn at moduleSize.
cv::Mat scaledModules(const cv::Mat& modules, int moduleSize);

// A grey frame, BGR like a camera's, with the given codes drawn in.
cv::Mat frameWith(const std::vector<Placement>& codes, cv::Size size = scanlet::fullHd);

// The size in pixels of a code of this text and module size, quiet zone included.
cv::Size codeSize(const std::string& text, int moduleSize = 8);

// A point that puts a code of this text and module size in the middle of the
// frame's central region.
cv::Point centredIn(cv::Size frame, const std::string& text, int moduleSize = 8);

// Writes frames as an image sequence into folder; returns the pattern that
// cv::VideoCapture opens. Each entry is written count times in a row.
struct Scene {
    cv::Mat frame;
    int count = 1;
};
std::string writeSequence(const std::string& folder, const std::vector<Scene>& scenes);

}
