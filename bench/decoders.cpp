#include "decoders.h"

#include <algorithm>

namespace bench {

std::vector<NamedDecoder> decoders()
{
    using scanlet::DecoderKind;
    std::vector<NamedDecoder> all;
    for (const auto& [name, kind] : {std::pair{"ZXing", DecoderKind::ZXing}, std::pair{"OpenCV", DecoderKind::OpenCV}}) {
        if (scanlet::isBuiltIn(kind)) {
            all.push_back({name, [kind = kind] { return scanlet::makeDecoder(kind); }});
        }
    }
    std::stable_partition(all.begin(), all.end(), [](const NamedDecoder& decoder) {
        return decoder.name == (scanlet::configuredDecoder() == DecoderKind::ZXing ? "ZXing" : "OpenCV");
    });
    return all;
}

}
