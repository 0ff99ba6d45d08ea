#pragma once

#include "decoder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scanlet {

// Both implementations, built into the benchmarks under names of their own so
// that one run can compare them; the library itself only ever has the one its
// build was configured with.
std::unique_ptr<Decoder> makeZxingDecoder();
std::unique_ptr<Decoder> makeOpenCvDecoder();

}

namespace bench {

struct NamedDecoder {
    std::string name;
    std::function<std::unique_ptr<scanlet::Decoder>()> make;
};

// The configured default comes first.
std::vector<NamedDecoder> decoders();

}
