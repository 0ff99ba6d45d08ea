#include "decoders.h"

#include "opencv_decoder.h"

#include <algorithm>

namespace bench {

std::vector<NamedDecoder> decoders()
{
    using scanlet::DecoderKind;
    const std::pair<const char*, DecoderKind> kinds[] = {
        {"ZXing", DecoderKind::ZXing}, {"ZXing port", DecoderKind::ZXingPort}};
    std::vector<NamedDecoder> all;
    std::string configured;
    for (const auto& [name, kind] : kinds) {
        if (scanlet::isBuiltIn(kind)) {
            all.push_back({name, [kind = kind] { return scanlet::makeDecoder(kind); }});
        }
        if (kind == scanlet::configuredDecoder()) {
            configured = name;
        }
    }
    all.push_back({"OpenCV", makeOpenCvDecoder});
    std::stable_partition(all.begin(), all.end(),
                          [&](const NamedDecoder& decoder) { return decoder.name == configured; });
    return all;
}

}
