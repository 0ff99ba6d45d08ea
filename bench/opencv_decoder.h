#pragma once

#include "decoding/decoder.h"

#include <memory>

namespace bench {

// OpenCV's own QR decoder, which the library does not ship, in the rotation of
// the library's ways of reading: measured beside the library's decoders
// in one run. It reads only in OpenCV builds that include a QR decoding library.
std::unique_ptr<scanlet::Decoder> makeOpenCvDecoder();

}
