#pragma once

#include "decoding/decoder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

struct NamedDecoder {
    std::string name;
    std::function<std::unique_ptr<scanlet::Decoder>()> make;
};

// Every decoder the library was built with, the configured default first,
// then OpenCV's own, which it replaced.
std::vector<NamedDecoder> decoders();

}
