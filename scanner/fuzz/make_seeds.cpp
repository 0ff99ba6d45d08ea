#include "fuzz_image.h"

#include "footage.h"

#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

// Writes the starting inputs the fuzzer mutates: odd sizes and channel counts,
// and real codes, so that mutations reach deep into the decoder.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " folder\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto write = [&](const std::string& name, const cv::Mat& frame, std::uint8_t flags = 0) {
        const auto data = fuzz_image::encode(frame, flags);
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    };

    const cv::Size small(320, 180);
    const cv::Mat code = footage::frameWith({{"fuzz", footage::centredIn(small, "fuzz", 2), 2}}, small);
    cv::Mat grey;
    cv::cvtColor(code, grey, cv::COLOR_BGR2GRAY);
    cv::Mat withAlpha;
    cv::cvtColor(code, withAlpha, cv::COLOR_BGR2BGRA);
    cv::Mat wideDepth;
    grey.convertTo(wideDepth, CV_16U, 256);

    write("code-bgr", code);
    write("code-grey", grey);
    write("code-bgra", withAlpha);
    write("code-grey-whole", grey, fuzz_image::wholeImage);
    write("code-16bit", wideDepth, fuzz_image::wideDepth);
    write("one-by-one", cv::Mat(1, 1, CV_8UC3, cv::Scalar::all(255)));
    write("three-by-two-grey", cv::Mat(2, 3, CV_8UC1, cv::Scalar::all(0)), fuzz_image::wholeImage);
    write("very-wide", cv::Mat(3, 8000, CV_8UC3, cv::Scalar::all(128)));
    write("very-wide-code-row", cv::repeat(grey.row(grey.rows / 2), 1, 20), fuzz_image::wholeImage);
    write("two-channel", cv::Mat(40, 40, CV_8UC2, cv::Scalar::all(7)));
    return 0;
}
