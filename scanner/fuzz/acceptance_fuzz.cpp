#include "fuzz_image.h"

#include "decoder.h"
#include "detect_in_region.h"
#include "detector_state.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

// Decoder failures are reported on std::cerr; thousands of them would bury the fuzzer's own output.
std::ostringstream discarded;

bool sameOutside(const cv::Mat& before, const cv::Mat& after, const cv::Rect& region)
{
    cv::Mat beforeOutside = before.clone();
    cv::Mat afterOutside = after.clone();
    beforeOutside(region).setTo(0);
    afterOutside(region).setTo(0);
    return cv::norm(beforeOutside.reshape(1), afterOutside.reshape(1), cv::NORM_INF) == 0;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::cerr.rdbuf(discarded.rdbuf());
    return 0;
}

// Feeds the acceptance step images of any size, channel count and content, as
// a broken camera or driver might deliver them. Nothing may crash, and nothing
// may touch the frame outside its region.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto decoders = [] {
        std::vector<std::unique_ptr<scanlet::Decoder>> all;
        all.push_back(scanlet::makeDecoder(scanlet::configuredDecoder()));
        // The port of ZXing's reader that scanlet.dll decodes with, also where
        // another decoder is configured.
        if (scanlet::configuredDecoder() != scanlet::DecoderKind::ZXingPort) {
            all.push_back(scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort));
        }
        return all;
    }();
    static scanlet::DetectorState scanner;
    discarded.str("");

    const auto image = fuzz_image::decode(data, size);
    const cv::Rect area = image.wholeImage ? cv::Rect({}, image.frame.size()) : scanlet::scanRegion(image.frame.size());
    for (const auto& decoder : decoders) {
        cv::Mat frame = image.frame.clone();
        cv::Mat region = frame(area);
        scanlet::detectInRegion(scanner, *decoder, region);
        if (!sameOutside(image.frame, frame, area)) {
            __builtin_trap();
        }
        scanner.forgetCodes();
    }
    return 0;
}
