#pragma once

#include "decoding/decoder.h"
#include "run/detector_state.h"
#include "run/scan_region.h"

#include <opencv2/core.hpp>

namespace scanlet {

// What the acceptance step made of one frame's region.
enum class Detection {
    // A code new to this run: counted, reported to the host and outlined.
    Accepted,
    // A code already reported in this run, or one of the host's known codes: outlined only.
    AlreadySeen,
    // Nothing decoded, or a text with nothing before its first NUL byte.
    NothingRead,
    // A text decoded, but not located by four corners all inside the region.
    OutsideRegion,
    // The decoder failed and said so on std::cerr: the frame is to be dropped.
    DecoderFailed,
};

// Decodes the region view, counts and reports a code new to this run, and
// outlines every accepted code in the view.
Detection detectInRegion(DetectorState& state, Decoder& decoder, cv::Mat& region);

}
