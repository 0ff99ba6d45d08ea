// First-sighting latency: codes slide into the scan region at several speeds,
// blurred by their motion as a camera sees them, and each frame goes through
// the acceptance step in order, as in the library's loop. Counts the frames
// from the first one that shows the code whole in the region to the one whose
// step reports it.
#include "decoding/decoder.h"
#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "footage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <mutex>
#include <vector>

namespace {

constexpr int moduleSize = 6;
constexpr int trialsPerSpeed = 20;
// Past this many frames after it is whole in the region, a code counts as missed.
constexpr int patience = 30;
const std::vector<int> speeds{4, 8, 16, 32};

// The frame with the code's left edge at x, smeared over half the frame
// interval's travel as a camera's exposure smears it.
cv::Mat frameAt(const cv::Mat& code, int x, int y, int speed)
{
    cv::Mat frame(scanlet::fullHd, CV_8UC1, cv::Scalar(128));
    const cv::Rect place(x, y, code.cols, code.rows);
    code.copyTo(frame(place));
    const int smear = std::max(1, speed / 2);
    const cv::Rect band = cv::Rect(x - smear, y, code.cols + 2 * smear, code.rows) & cv::Rect({}, scanlet::fullHd);
    cv::blur(frame(band), frame(band), {smear, 1});
    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);
    return colour;
}

// Frames late, or -1 when the code was never reported.
int framesLate(scanlet::Decoder& decoder, const cv::Mat& code, int speed, cv::RNG& rng)
{
    const cv::Rect region = scanlet::scanRegion(scanlet::fullHd);
    const int y = region.y + rng.uniform(0, region.height - code.rows);
    // The first step that leaves the code whole in the region, from a random phase.
    const int firstWhole = region.x + rng.uniform(0, speed);
    scanlet::DetectorState scanner;
    for (int frame = 0; frame <= patience; ++frame) {
        const int x = firstWhole + frame * speed;
        if (x + code.cols > region.br().x) {
            break;
        }
        cv::Mat image = frameAt(code, x, y, speed);
        cv::Mat view = image(region);
        if (scanlet::detectInRegion(scanner, decoder, view) == scanlet::Detection::Accepted) {
            return frame;
        }
    }
    return -1;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " report.md" << std::endl;
        return 2;
    }
    auto decoder = scanlet::makeDecoder(scanlet::configuredDecoder());
    const cv::Mat code = footage::codeImage("https://example.com/ticket/8f14e45f", moduleSize);
    cv::RNG rng(11);

    std::ofstream out(argv[1]);
    out << "| Speed | Trials | Same frame | 1 frame late | 2+ frames late | Missed | Worst |\n"
        << "|---|---:|---:|---:|---:|---:|---:|\n";
    for (const int speed : speeds) {
        int same = 0;
        int one = 0;
        int more = 0;
        int missed = 0;
        int worst = 0;
        for (int trial = 0; trial < trialsPerSpeed; ++trial) {
            const int late = framesLate(*decoder, code, speed, rng);
            same += late == 0;
            one += late == 1;
            more += late > 1;
            missed += late < 0;
            worst = std::max(worst, late);
        }
        out << "| " << speed << " px/frame | " << trialsPerSpeed << " | " << same << " | " << one << " | " << more
            << " | " << missed << " | " << (same + one + more > 0 ? std::to_string(worst) + " frames" : "-")
            << " |\n";
    }
    return out ? 0 : 1;
}
