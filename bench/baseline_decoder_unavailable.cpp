// Platforms without ZXing-cpp (the Windows build) measure no baseline.
#include "baseline_decoder.h"

#include <stdexcept>

namespace bench {

bool baselineDecoderAvailable()
{
    return false;
}

std::unique_ptr<scanlet::Decoder> makeBaselineDecoder()
{
    throw std::logic_error("no baseline decoder on this platform");
}

}
