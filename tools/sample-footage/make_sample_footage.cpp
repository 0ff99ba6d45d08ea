// Makes the demo clip: ten seconds of 1920x1080 at 30 frames per second in
// which QR codes pass through the central region. Beside it, the codes a run
// must report (new codes, in order of first appearance) and the code the run
// is told it already knows.
#include "replay/clip_backend.h"
#include "footage.h"

#include <opencv2/videoio.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

constexpr int fps = 30;
constexpr int moduleSize = 6;

const std::string plain = "Hello from the scanner demo";
const std::string utf8 = "Grüße aus Zürich · Привет · 你好";
const std::string url =
    "https://example.com/zorvane/session?id=8f14e45f-ceea-467f-a0e6-1a2b3c4d5e6f&token=QWxhZGRpbjpvcGVuIHNlc2FtZQ"
    "&lang=en&return=%2Fdashboard%2Foverview";
const std::string known = "known-ticket-0042";
// Stays outside the central region for the whole clip: never reported.
const std::string outside = "outside the scan region";

// A code sliding across the frame from left to right over its frames,
// through the middle of the central region.
footage::Placement sliding(const std::string& text, int frame, int frames)
{
    const cv::Size size = footage::codeSize(text, moduleSize);
    const int travel = scanlet::fullHd.width - size.width;
    return {text, {travel * frame / (frames - 1), (scanlet::fullHd.height - size.height) / 2}, moduleSize};
}

footage::Placement still(const std::string& text)
{
    return {text, footage::centredIn(scanlet::fullHd, text, moduleSize), moduleSize};
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " output-folder" << std::endl;
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    cv::VideoWriter writer((folder / "sample.avi").string(), scanlet::videoFileBackend(),
                           cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps, scanlet::fullHd);
    if (!writer.isOpened()) {
        std::cerr << "cannot write " << (folder / "sample.avi") << std::endl;
        return 1;
    }

    const footage::Placement corner{outside, {40, 760}, moduleSize};
    const auto write = [&](std::vector<footage::Placement> codes) {
        codes.push_back(corner);
        writer.write(footage::frameWith(codes, scanlet::fullHd));
    };
    for (int i = 0; i < 60; ++i) write({sliding(plain, i, 60)});
    for (int i = 0; i < 60; ++i) write({sliding(utf8, i, 60)});
    for (int i = 0; i < 60; ++i) write({sliding(url, i, 60)});
    for (int i = 0; i < 40; ++i) write({still(plain)});
    for (int i = 0; i < 40; ++i) write({});
    // Last, so that the window's final picture shows a known code: outlined, not counted.
    for (int i = 0; i < 40; ++i) write({still(known)});

    std::ofstream(folder / "expected-codes.txt") << plain << '\n' << utf8 << '\n' << url << '\n';
    std::ofstream(folder / "known-codes.txt") << known << '\n';
    return 0;
}
