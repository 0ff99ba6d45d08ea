// Per-frame cost of the acceptance step on 1920x1080 frames, for each decoder
// and for the frames a scanner meets: nothing to read (a plain wall and a
// busy scene), a clean code in the region, a code outside the region, a code
// it finds but cannot read, and pixel noise. The decoder the library had
// before its rotation of ways of reading runs beside them as the baseline
// where the platform has it, and the default decoder's ways of reading each on
// their own; and the costliest payloads a code can carry, a version 40 symbol
// of thousands of segments and one of the largest byte payload, beside a
// version 40 symbol of a short text that tells the symbol's cost from the
// payload's; and a code out of focus, which only deblurring reads. Times are the frame clock's (frame_clock.h): the process's CPU
// time on Linux, wall-clock time under Wine; the counters' names say which.
// Besides the mean, each run gives its median frame: a rotating decoder costs
// more on some frames than on others; and its worst frame, which bounds
// how long one frame can hold up a run.
#include "baseline_decoder.h"
#include "decoders.h"
#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "footage.h"
#include "frame_clock.h"
#include "payload_symbol.h"
#include "pinned_decoder.h"
#include "qr_symbol_builder.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>

namespace {

constexpr int moduleSize = 6;
const std::string payload = "https://example.com/ticket/8f14e45f-ceea-467f-a0e6";

cv::Mat placedCentrally(const cv::Mat& code)
{
    cv::Mat frame = footage::frameWith({});
    cv::Mat colour;
    cv::cvtColor(code, colour, cv::COLOR_GRAY2BGR);
    colour.copyTo(frame(cv::Rect((frame.cols - code.cols) / 2, (frame.rows - code.rows) / 2, code.cols, code.rows)));
    return frame;
}

// Shapes and texture everywhere, as a room or a desk gives, but no code.
cv::Mat busyScene()
{
    cv::Mat grey(scanlet::fullHd, CV_8U);
    cv::RNG rng(3);
    rng.fill(grey, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(grey, grey, {}, 3);
    cv::normalize(grey, grey, 40, 220, cv::NORM_MINMAX);
    for (int i = 0; i < 60; ++i) {
        const cv::Point corner(rng.uniform(0, grey.cols), rng.uniform(0, grey.rows));
        cv::rectangle(grey, {corner, corner + cv::Point(rng.uniform(20, 300), rng.uniform(20, 300))},
                      cv::Scalar(rng.uniform(0, 256)), cv::FILLED);
    }
    cv::Mat frame;
    cv::cvtColor(grey, frame, cv::COLOR_GRAY2BGR);
    return frame;
}

// The clean code seen out of focus, through a disk of one module's radius:
// the frame on which the deblurred way deconvolves, where every other way
// reads nothing.
cv::Mat defocusedCode()
{
    constexpr int radius = moduleSize;
    cv::Mat disk = cv::Mat::zeros(2 * radius + 1, 2 * radius + 1, CV_32F);
    cv::circle(disk, {radius, radius}, radius, cv::Scalar(1), cv::FILLED);
    cv::Mat frame;
    cv::filter2D(placedCentrally(footage::codeImage(payload, moduleSize)), frame, -1, disk / cv::sum(disk)[0]);
    return frame;
}

// Pixel noise, the worst a decoder's finder search meets: finder-like runs
// everywhere. Uniform over the grey range, as fine texture (a little blur),
// and as a dark camera frame at high gain.
cv::Mat noise(int kind)
{
    cv::Mat grey(scanlet::fullHd, CV_8U);
    cv::RNG rng(11 + kind);
    switch (kind) {
    case 0: rng.fill(grey, cv::RNG::UNIFORM, 0, 256); break;
    case 1:
        rng.fill(grey, cv::RNG::UNIFORM, 0, 256);
        cv::GaussianBlur(grey, grey, {}, 0.8);
        cv::normalize(grey, grey, 0, 255, cv::NORM_MINMAX);
        break;
    default: rng.fill(grey, cv::RNG::NORMAL, 24, 18); break;
    }
    cv::Mat frame;
    cv::cvtColor(grey, frame, cv::COLOR_GRAY2BGR);
    return frame;
}

// Leaves the three finder patterns and both copies of the format information
// intact, so a decoder locates the code and reads its format, and scrambles
// the bottom-right part of the symbol, far beyond what error correction repairs.
cv::Mat unreadableCode()
{
    cv::Mat modules = footage::codeImage(payload, 1);
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
    return footage::scaledModules(modules, moduleSize);
}

constexpr int largest = 40;
constexpr int levelL = 1;

// Version 40 at level L, the most data codewords a symbol holds, drawn at the
// largest module size whose symbol, with a quiet zone of one module, fits the
// region's height.
cv::Mat largestSymbol(const std::string& codewords)
{
    return qr_symbol_builder::render(qr_symbol_builder::modules(largest, levelL, 0, codewords), 3, 1);
}

// Byte mode segments with a count field of version 40's 16 bits.
void putBytes(payload_symbol::BitWriter& stream, const std::string& bytes)
{
    stream.put(0x4, 4).put(static_cast<std::uint32_t>(bytes.size()), 16).putBytes(bytes);
}

// As many empty segments as fit, then one byte, so that the code is accepted.
cv::Mat thousandsOfSegments()
{
    payload_symbol::BitWriter stream;
    for (int i = 0; i < 1100; ++i) {
        putBytes(stream, "");
    }
    putBytes(stream, "x");
    return largestSymbol(stream.codewords());
}

// A short text and the padding an ordinary writer fills the symbol with.
cv::Mat largestSymbolOfShortText()
{
    return largestSymbol(qr_symbol_builder::byteModeCodewords(payload, largest, levelL));
}

// 2,953 bytes, all of them outside ASCII, for the character set guess to weigh.
cv::Mat largestPayload()
{
    std::string bytes(2953, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(0x80 + i % 0x80);
    }
    payload_symbol::BitWriter stream;
    putBytes(stream, bytes);
    return largestSymbol(stream.codewords());
}

using MakeDecoder = std::function<std::unique_ptr<scanlet::Decoder>()>;

void measure(benchmark::State& run, const MakeDecoder& make, const cv::Mat& frame)
{
    auto decoder = make();
    const cv::Rect region = scanlet::scanRegion(frame.size());
    cv::Mat working = frame.clone();
    scanlet::DetectorState scanner;
    std::vector<double> frameTimes;
    for (auto _ : run) {
        run.PauseTiming();
        frame(region).copyTo(working(region));
        scanner.forgetCodes();
        run.ResumeTiming();
        const double started = bench::frameClockMilliseconds();
        cv::Mat view = working(region);
        benchmark::DoNotOptimize(scanlet::detectInRegion(scanner, *decoder, view));
        frameTimes.push_back(bench::frameClockMilliseconds() - started);
    }
    // Every iteration starts with nothing seen, so each acceptance counts once.
    run.counters["accepted"] = benchmark::Counter(scanner.count(), benchmark::Counter::kAvgIterations);
    if (!frameTimes.empty()) {
        const auto middle = frameTimes.begin() + static_cast<std::ptrdiff_t>(frameTimes.size() / 2);
        std::nth_element(frameTimes.begin(), middle, frameTimes.end());
        const std::string clock = bench::frameClockName();
        run.counters["median_" + clock + "_ms"] = *middle;
        run.counters["max_" + clock + "_ms"] = *std::max_element(frameTimes.begin(), frameTimes.end());
    }
}

// The baseline where there is one, the library's decoders as it runs them,
// and the default decoder's ways of reading one by one.
std::vector<std::pair<std::string, MakeDecoder>> decoders()
{
    std::vector<std::pair<std::string, MakeDecoder>> all;
    if (bench::baselineDecoderAvailable()) {
        all.emplace_back("baseline", bench::makeBaselineDecoder);
    }
    const auto built = bench::decoders();
    for (const auto& named : built) {
        all.emplace_back(named.name, named.make);
    }
    const auto make = built.front().make;
    all.emplace_back(built.front().name + " shared ways",
                     [make] { return std::make_unique<bench::SharedWaysDecoder>(make()); });
    for (const auto& way : dynamic_cast<scanlet::RotatingDecoder&>(*make()).ways()) {
        all.emplace_back(built.front().name + " " + scanlet::nameOf(way),
                         [make, way] { return std::make_unique<bench::PinnedDecoder>(make(), way); });
    }
    return all;
}

void registerAll()
{
    const std::vector<std::pair<std::string, cv::Mat>> scenes{
        {"no_code", footage::frameWith({})},
        {"busy_no_code", busyScene()},
        {"clean_code", placedCentrally(footage::codeImage(payload, moduleSize))},
        {"code_outside_region", footage::frameWith({{payload, {40, 60}, moduleSize}})},
        {"unreadable_code", placedCentrally(unreadableCode())},
        {"defocused_code", defocusedCode()},
        {"noise", noise(0)},
        {"fine_noise", noise(1)},
        {"dark_high_gain", noise(2)},
        {"version_40_short_text", placedCentrally(largestSymbolOfShortText())},
        {"thousands_of_segments", placedCentrally(thousandsOfSegments())},
        {"largest_payload", placedCentrally(largestPayload())},
    };
    for (const auto& [name, make] : decoders()) {
        for (const auto& [scene, frame] : scenes) {
            auto* registered = benchmark::RegisterBenchmark(("acceptance/" + name + "/" + scene).c_str(),
                                                            [make = make, frame = frame](benchmark::State& run) {
                                                                measure(run, make, frame);
                                                            });
            registered->Unit(benchmark::kMillisecond);
            bench::timeWithFrameClock(*registered);
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
