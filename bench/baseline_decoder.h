#pragma once

#include "decoding/decoder.h"

#include <memory>

namespace bench {

// Whether this platform has the decoder below: it is ZXing-cpp, which only
// the Linux build links.
bool baselineDecoderAvailable();

// The ZXing decoder as the library had it before its rotation of ways of
// reading: one binarizer, the payload's raw bytes. Kept to measure the current
// one against, side by side in one run, where it is available.
std::unique_ptr<scanlet::Decoder> makeBaselineDecoder();

}
