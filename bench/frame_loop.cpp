// The frame loop over a replayed 1080p clip in the real window, step for step
// as the library runs it, timing each part: reading the frame, the acceptance
// step, drawing the overlays, showing the frame and waiting for a key. Built in
// both trees, so that the same clip gives the Linux library's loop and the
// DLL's under Wine side by side.
//   scanlet-bench-frame-loop clip report.md [--opencv-mjpeg] [--decoder zxing|port]
//                            [--decode-repetitions N]
// --opencv-mjpeg reads a video file with OpenCV's own MJPEG reader, which
// decodes each frame with libjpeg-turbo, also where FFmpeg would read it
// (Linux): the cross tree's OpenCV has only that reader. --decoder runs the
// given decoder instead of the build's own (the port is scanlet.dll's), so
// that Linux can run the DLL's path. Before the loop, for an MJPG AVI clip,
// its first frame's JPEG is decoded on its own many times: how much of the
// reading is JPEG.
#include "replay/clip_backend.h"
#include "decoding/decoder.h"
#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "platform/display.h"
#include "run/scan_region.h"
#include "run/overlays.h"

#include <opencv2/highgui.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::string windowName = "QR Code Reader";
constexpr int keyWaitMs = 10;

enum Part { reading, decoding, drawing, showing, waiting, parts };
const std::array<const char*, parts> partNames{"reading the frame", "decoding (acceptance step)", "drawing",
                                               "showing", "waiting for a key"};

// The first frame of an AVI's video stream as its JPEG bytes: the data of its
// first "00dc" chunk that starts with a JPEG's start-of-image marker. Empty for
// anything else (image sequences, other codecs).
std::vector<unsigned char> firstJpeg(const std::string& clip)
{
    std::ifstream in(clip, std::ios::binary);
    // Headers and the first frame lie well within the first few megabytes.
    std::vector<char> head(16 << 20);
    in.read(head.data(), std::streamsize(head.size()));
    head.resize(std::size_t(in.gcount()));
    const char tag[] = {'0', '0', 'd', 'c'};
    for (auto at = head.begin(); (at = std::search(at, head.end(), std::begin(tag), std::end(tag))) != head.end();
         ++at) {
        const std::size_t data = std::size_t(at - head.begin()) + 8;
        if (data + 2 > head.size()) {
            break;
        }
        std::uint32_t size = 0;
        for (int byte = 3; byte >= 0; --byte) {
            size = size << 8 | static_cast<unsigned char>(head[data - 4 + std::size_t(byte)]);
        }
        if (static_cast<unsigned char>(head[data]) == 0xFF && static_cast<unsigned char>(head[data + 1]) == 0xD8 &&
            data + size <= head.size()) {
            return {head.begin() + std::ptrdiff_t(data), head.begin() + std::ptrdiff_t(data + size)};
        }
    }
    return {};
}

// Milliseconds each decoding of the JPEG took, with the flags OpenCV's MJPEG
// reader decodes its frames with, sorted. The reader decodes each frame into a
// new image, so the allocator's cost for a 6 MB block comes with each; decoded
// into the same image, what is left is libjpeg-turbo's own work.
std::vector<double> decodeTimes(const std::vector<unsigned char>& jpeg, int repetitions, bool intoSameImage)
{
    std::vector<double> times;
    if (jpeg.empty()) {
        return times;
    }
    const int flags = cv::IMREAD_ANYDEPTH | cv::IMREAD_COLOR | cv::IMREAD_IGNORE_ORIENTATION;
    cv::Mat image = cv::imdecode(jpeg, flags);
    for (int i = 0; i < repetitions && !image.empty(); ++i) {
        const auto start = Clock::now();
        if (intoSameImage) {
            cv::imdecode(jpeg, flags, &image);
        } else {
            image = cv::imdecode(jpeg, flags);
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times;
}

std::string medianAndFastest(const std::vector<double>& sorted)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << sorted[sorted.size() / 2] << " ms (fastest " << sorted.front()
         << ")";
    return text.str();
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: " << argv[0]
                  << " clip report.md [--opencv-mjpeg] [--decoder zxing|port] [--decode-repetitions N]" << std::endl;
        return 2;
    }
    const std::string clip = argv[1];
    int backend = scanlet::clipBackend(clip);
    int repetitions = 200;
    scanlet::DecoderKind decoderKind = scanlet::configuredDecoder();
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--opencv-mjpeg") == 0) {
            backend = backend == cv::CAP_IMAGES ? backend : cv::CAP_OPENCV_MJPEG;
        } else if (std::strcmp(argv[i], "--decoder") == 0 && i + 1 < argc) {
            const std::string name = argv[++i];
            decoderKind = name == "port" ? scanlet::DecoderKind::ZXingPort : scanlet::DecoderKind::ZXing;
            if (name != "port" && name != "zxing") {
                std::cerr << "unknown decoder " << name << std::endl;
                return 2;
            }
        } else if (std::strcmp(argv[i], "--decode-repetitions") == 0 && i + 1 < argc) {
            repetitions = std::atoi(argv[++i]);
        } else {
            std::cerr << "unknown option " << argv[i] << std::endl;
            return 2;
        }
    }

    const std::vector<unsigned char> jpeg = firstJpeg(clip);
    const std::vector<double> intoNewImage = decodeTimes(jpeg, repetitions, false);
    const std::vector<double> intoSameImage = decodeTimes(jpeg, repetitions, true);

    cv::VideoCapture camera(clip, backend);
    if (!camera.isOpened()) {
        std::cerr << "cannot open " << clip << std::endl;
        return 1;
    }
    const std::string reader = camera.getBackendName();
    scanlet::DetectorState scanner;
    scanlet::Display display;
    display.namedWindow(windowName, cv::WINDOW_NORMAL);
    display.resizeWindow(windowName, scanlet::fullHd.width / 2, scanlet::fullHd.height / 2);
    auto decoder = scanlet::makeDecoder(decoderKind);

    std::array<Clock::duration, parts> spent{};
    int frames = 0;
    const auto started = Clock::now();
    // Read into again and again, as the library's loop does.
    cv::Mat frame;
    for (;;) {
        auto mark = Clock::now();
        const auto lap = [&](Part part) {
            const auto now = Clock::now();
            spent[part] += now - mark;
            mark = now;
        };
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

    if (frames == 0) {
        std::cerr << "no frame read from " << clip << std::endl;
        return 1;
    }

    std::ofstream out(argv[2]);
    out << std::fixed << std::setprecision(1) << frames << " frames in " << total << " s: " << frames / total
        << " frames per second, read by OpenCV's " << reader << " reader, decoded by "
        << (decoderKind == scanlet::DecoderKind::ZXing ? "ZXing-cpp" : "the port of ZXing's QR reader")
        << ".\n\n| Part of each frame | ms per frame | Share |\n|---|---:|---:|\n";
    double work = 0;
    for (int part = 0; part < parts; ++part) {
        const double ms = 1000 * std::chrono::duration<double>(spent[part]).count() / frames;
        work += part == waiting ? 0 : ms;
        out << "| " << partNames[part] << " | " << std::setprecision(2) << ms << " | " << std::setprecision(1)
            << 100 * ms * frames / 1000 / total << "% |\n";
    }
    // The key wait holds the nominal wait and whatever the toolkit does in its
    // event loop meanwhile; on Win32 that includes painting the shown frame.
    const double waitedMs = 1000 * std::chrono::duration<double>(spent[waiting]).count() / frames;
    out << std::setprecision(2) << "\nAll but the key wait: " << work << " ms per frame; the key wait exceeds its "
        << keyWaitMs << " ms by " << waitedMs - keyWaitMs << " ms.\n";
    if (!intoNewImage.empty()) {
        out << "\nThe first frame's JPEG (" << jpeg.size() / 1024 << " KiB) decoded alone by cv::imdecode, "
            << intoNewImage.size() << " times each way, median: into a new image each time, as the reader does, "
            << medianAndFastest(intoNewImage) << "; into the same image, " << medianAndFastest(intoSameImage)
            << ".\n";
    }
    return out ? 0 : 1;
}
