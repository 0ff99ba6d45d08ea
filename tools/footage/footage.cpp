#include "footage.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace footage {

ScratchFolder::ScratchFolder(const std::string& name)
{
    std::random_device entropy;
    for (;;) {
        folder = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(entropy()));
        if (std::filesystem::create_directories(folder)) {
            return;
        }
    }
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

cv::Mat scaledModules(const cv::Mat& modules, int moduleSize)
{
    cv::Mat scaled;
    cv::resize(modules, scaled, modules.size() * moduleSize, 0, 0, cv::INTER_NEAREST);
    return scaled;
}

cv::Mat codeImage(const std::string& text, int moduleSize)
{
    cv::Mat modules;
    cv::QRCodeEncoder::create()->encode(text, modules);
    if (modules.empty()) {
        throw std::runtime_error("cannot encode a code of " + std::to_string(text.size()) + " bytes");
    }
    return scaledModules(modules, moduleSize);
}

cv::Mat frameWith(const std::vector<Placement>& codes, cv::Size size)
{
    cv::Mat frame(size, CV_8UC3, cv::Scalar(128, 128, 128));
    for (const auto& code : codes) {
        cv::Mat image;
        cv::cvtColor(codeImage(code.text, code.moduleSize), image, cv::COLOR_GRAY2BGR);
        image.copyTo(frame(cv::Rect(code.topLeft, image.size())));
    }
    return frame;
}

cv::Size codeSize(const std::string& text, int moduleSize)
{
    return codeImage(text, moduleSize).size();
}

cv::Point centredIn(cv::Size frame, const std::string& text, int moduleSize)
{
    const cv::Size code = codeSize(text, moduleSize);
    return {(frame.width - code.width) / 2, (frame.height - code.height) / 2};
}

std::string writeSequence(const std::string& folder, const std::vector<Scene>& scenes)
{
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    int index = 0;
    char name[32];
    for (const auto& scene : scenes) {
        std::snprintf(name, sizeof name, "frame%05d.png", index++);
        const fs::path first = fs::path(folder) / name;
        cv::imwrite(first.string(), scene.frame, {cv::IMWRITE_PNG_COMPRESSION, 1});
        for (int i = 1; i < scene.count; ++i) {
            std::snprintf(name, sizeof name, "frame%05d.png", index++);
            fs::create_symlink(first.filename(), fs::path(folder) / name);
        }
    }
    return (fs::path(folder) / "frame%05d.png").string();
}

}
