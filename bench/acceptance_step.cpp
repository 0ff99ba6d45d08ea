// Per-frame cost of the acceptance step on 1920x1080 frames, for each decoder
// and for the frames a scanner meets: nothing to read, a clean code in the
// region, a code outside the region, and a code it finds but cannot read.
#include "code_image.h"
#include "decoders.h"
#include "detect_in_region.h"
#include "detector_state.h"
#include "footage.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <mutex>

namespace {

const cv::Size hd(1920, 1080);
constexpr int moduleSize = 6;
const std::string payload = "https://example.com/ticket/8f14e45f-ceea-467f-a0e6";

cv::Mat placedCentrally(const cv::Mat& code)
{
    cv::Mat frame(hd, CV_8UC3, cv::Scalar(128, 128, 128));
    cv::Mat colour;
    cv::cvtColor(code, colour, cv::COLOR_GRAY2BGR);
    colour.copyTo(frame(cv::Rect((hd.width - code.cols) / 2, (hd.height - code.rows) / 2, code.cols, code.rows)));
    return frame;
}

// Leaves the three finder patterns and both copies of the format information
// intact, so a decoder locates the code and reads its format, and scrambles
// the bottom-right part of the symbol, far beyond what error correction repairs.
cv::Mat unreadableCode()
{
    cv::Mat modules = bench::codeImage(payload, 1);
    int quietZone = 0;
    while (cv::countNonZero(modules.row(quietZone) == 0) == 0) {
        ++quietZone;
    }
    const int last = modules.rows - quietZone;
    cv::RNG rng(5);
    for (int row = quietZone + 9; row < last; ++row) {
        for (int col = quietZone + 9; col < last; ++col) {
            modules.at<uchar>(row, col) = rng.uniform(0, 2) == 0 ? 0 : 255;
        }
    }
    cv::Mat scaled;
    cv::resize(modules, scaled, {}, moduleSize, moduleSize, cv::INTER_NEAREST);
    return scaled;
}

void measure(benchmark::State& run, const bench::NamedDecoder& named, const cv::Mat& frame)
{
    auto decoder = named.make();
    const cv::Rect region = scanlet::scanRegion(frame.size());
    cv::Mat working = frame.clone();
    scanlet::DetectorState scanner;
    for (auto _ : run) {
        run.PauseTiming();
        frame(region).copyTo(working(region));
        scanner.seenCodes.clear();
        run.ResumeTiming();
        cv::Mat view = working(region);
        benchmark::DoNotOptimize(scanlet::detectInRegion(scanner, *decoder, view));
    }
    // Every iteration starts with nothing seen, so each acceptance counts once.
    run.counters["accepted"] = benchmark::Counter(scanner.codeCount, benchmark::Counter::kAvgIterations);
}

void registerAll()
{
    const std::vector<std::pair<std::string, cv::Mat>> scenes{
        {"no_code", footage::frameWith({}, hd)},
        {"clean_code", placedCentrally(bench::codeImage(payload, moduleSize))},
        {"code_outside_region", footage::frameWith({{payload, {40, 60}, moduleSize}}, hd)},
        {"unreadable_code", placedCentrally(unreadableCode())},
    };
    for (const auto& named : bench::decoders()) {
        for (const auto& [scene, frame] : scenes) {
            benchmark::RegisterBenchmark(("acceptance/" + named.name + "/" + scene).c_str(),
                                         [named, frame = frame](benchmark::State& run) { measure(run, named, frame); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
}

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
