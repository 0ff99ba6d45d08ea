#include "decoders.h"

#include <algorithm>

namespace bench {

std::vector<NamedDecoder> decoders()
{
    std::vector<NamedDecoder> all{{"ZXing", scanlet::makeZxingDecoder}, {"OpenCV", scanlet::makeOpenCvDecoder}};
    std::stable_partition(all.begin(), all.end(),
                          [](const NamedDecoder& decoder) { return decoder.name == SCANLET_CONFIGURED_DECODER; });
    return all;
}

}
