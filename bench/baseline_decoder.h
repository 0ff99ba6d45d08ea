#pragma once

#include "decoder.h"

#include <memory>

namespace bench {

// The ZXing decoder as the library had it before it took turns over ways of
// reading: one binarizer, the payload's raw bytes. Kept to measure the current
// one against, side by side in one run.
std::unique_ptr<scanlet::Decoder> makeBaselineDecoder();

}
