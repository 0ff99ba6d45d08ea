// The frame loop over a replayed 1080p clip in the real window, step for step
// as the library runs it, timing each part: reading the frame, the acceptance
// step, drawing the overlays, showing the frame and waiting for a key.
#include "clip_backend.h"
#include "decoder.h"
#include "detect_in_region.h"
#include "detector_state.h"
#include "display.h"
#include "scan_region.h"
#include "overlays.h"

#include <opencv2/highgui.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <array>
#include <chrono>
#include <fstream>
#include <iomanip>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;
const std::string windowName = "QR Code Reader";
constexpr int keyWaitMs = 10;

enum Part { reading, decoding, drawing, showing, waiting, parts };
const std::array<const char*, parts> partNames{"reading the frame", "decoding (acceptance step)", "drawing",
                                               "showing", "waiting for a key"};

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: " << argv[0] << " clip report.md" << std::endl;
        return 2;
    }
    cv::VideoCapture camera(argv[1], scanlet::clipBackend(argv[1]));
    if (!camera.isOpened()) {
        std::cerr << "cannot open " << argv[1] << std::endl;
        return 1;
    }
    scanlet::DetectorState scanner;
    scanlet::Display display;
    display.namedWindow(windowName, cv::WINDOW_NORMAL);
    display.resizeWindow(windowName, scanlet::fullHd.width / 2, scanlet::fullHd.height / 2);
    auto decoder = scanlet::makeDecoder(scanlet::configuredDecoder());

    std::array<Clock::duration, parts> spent{};
    int frames = 0;
    const auto started = Clock::now();
    for (;;) {
        auto mark = Clock::now();
        const auto lap = [&](Part part) {
            const auto now = Clock::now();
            spent[part] += now - mark;
            mark = now;
        };
        cv::Mat frame;
        if (!camera.read(frame) || frame.empty()) {
            break;
        }
        lap(reading);
        const cv::Rect region = scanlet::scanRegion(frame.size());
        cv::Mat regionView = frame(region);
        scanlet::detectInRegion(scanner, *decoder, regionView);
        lap(decoding);
        regionView.copyTo(frame(region));
        scanlet::drawOverlays(frame, region, scanner.count());
        lap(drawing);
        display.imshow(windowName, frame);
        lap(showing);
        display.waitKey(keyWaitMs);
        display.getWindowProperty(windowName, cv::WND_PROP_VISIBLE);
        lap(waiting);
        ++frames;
    }
    const double total = std::chrono::duration<double>(Clock::now() - started).count();
    display.destroyAllWindows();

    std::ofstream out(argv[2]);
    out << std::fixed << std::setprecision(1) << frames << " frames in " << total << " s: " << frames / total
        << " frames per second.\n\n| Part of each frame | ms per frame | Share |\n|---|---:|---:|\n";
    for (int part = 0; part < parts; ++part) {
        const double seconds = std::chrono::duration<double>(spent[part]).count();
        out << "| " << partNames[part] << " | " << std::setprecision(2) << 1000 * seconds / frames << " | "
            << std::setprecision(1) << 100 * seconds / total << "% |\n";
    }
    return out ? 0 : 1;
}
