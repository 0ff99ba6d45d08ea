#include "acceptance_harness.h"
#include "payload_symbol.h"
#include "qr_symbol_builder.h"

#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "decoding/rotating_decoder.h"
#include "run/scan_region.h"

#include <opencv2/imgproc.hpp>

#include <cstdint>

namespace {

// A camera frame whose region is exactly the drawn symbol, quiet zone
// included: a larger region would cost every input more decoding and read no
// more of the payload.
cv::Mat frameWith(const cv::Mat& symbol)
{
    cv::Mat frame(symbol.size() * 2, CV_8UC3, cv::Scalar::all(180));
    cv::Mat colour;
    cv::cvtColor(symbol, colour, cv::COLOR_GRAY2BGR);
    colour.copyTo(frame(scanlet::scanRegion(frame.size())));
    return frame;
}

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    acceptance_harness::discardDecoderLines();
    return 0;
}

// Builds a complete symbol around data codewords of any content, error
// correction that checks out, draws it into a frame and hands the frame's
// region to the acceptance step through each decoder's rotation, so that the
// finder search, the sampling grid and the payload parser meet a hostile
// payload together. Nothing may crash, nothing may touch the frame outside
// its region, and no code may be counted as an empty text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static scanlet::DetectorState scanner;
    acceptance_harness::forgetDiscardedLines();

    const payload_symbol::Symbol symbol = payload_symbol::decode(data, size);
    const payload_symbol::Drawing drawing = payload_symbol::drawingOf(data, size);
    const cv::Mat image = frameWith(qr_symbol_builder::render(
        qr_symbol_builder::modules(symbol.version, symbol.levelBits, drawing.mask, symbol.codewords),
        drawing.moduleSize));
    const cv::Rect area = scanlet::scanRegion(image.size());
    for (const auto& decoder : acceptance_harness::decoders()) {
        if (auto* rotating = dynamic_cast<scanlet::RotatingDecoder*>(decoder.get())) {
            rotating->startAt(static_cast<std::size_t>(drawing.wayIndex));
        }
        cv::Mat frame = image.clone();
        cv::Mat region = frame(area);
        scanlet::detectInRegion(scanner, *decoder, region);
        if (!acceptance_harness::sameOutside(image, frame, area) || scanner.hasSeen("")) {
            __builtin_trap();
        }
        scanner.forgetCodes();
    }
    return 0;
}
