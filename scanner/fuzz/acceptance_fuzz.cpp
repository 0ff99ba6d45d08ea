#include "acceptance_harness.h"
#include "fuzz_image.h"

#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "run/scan_region.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    acceptance_harness::discardDecoderLines();
    return 0;
}

// Feeds the acceptance step images of any size, channel count and content, as
// a broken camera or driver might deliver them. Nothing may crash, and nothing
// may touch the frame outside its region.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static scanlet::DetectorState scanner;
    acceptance_harness::forgetDiscardedLines();

    const auto image = fuzz_image::decode(data, size);
    const cv::Rect area = image.wholeImage ? cv::Rect({}, image.frame.size()) : scanlet::scanRegion(image.frame.size());
    for (const auto& decoder : acceptance_harness::decoders()) {
        cv::Mat frame = image.frame.clone();
        cv::Mat region = frame(area);
        scanlet::detectInRegion(scanner, *decoder, region);
        if (!acceptance_harness::sameOutside(image.frame, frame, area)) {
            __builtin_trap();
        }
        scanner.forgetCodes();
    }
    return 0;
}
