#include "fuzz_image.h"

#include "decoder.h"
#include "detect_in_region.h"
#include "detector_state.h"

#include <cstdint>
#include <iostream>
#include <sstream>

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
    static const auto decoder = scanlet::makeDecoder(scanlet::configuredDecoder());
    static scanlet::DetectorState scanner;
    discarded.str("");

    auto image = fuzz_image::decode(data, size);
    const cv::Rect area = image.wholeImage ? cv::Rect({}, image.frame.size()) : scanlet::scanRegion(image.frame.size());
    const cv::Mat before = image.frame.clone();
    cv::Mat region = image.frame(area);
    scanlet::detectInRegion(scanner, *decoder, region);
    if (!sameOutside(before, image.frame, area)) {
        __builtin_trap();
    }
    scanner.forgetCodes();
    return 0;
}
