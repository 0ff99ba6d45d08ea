#include "decoding/port_payload.h"

#include "text/text_encoding.h"

namespace scanlet {

std::string textOfPortSegments(const std::vector<zxing::PayloadSegment>& segments)
{
    std::vector<Segment> payload;
    payload.reserve(segments.size());
    for (const auto& segment : segments) {
        payload.push_back({segment.bytes, !segment.modeCharset.empty() ? segment.modeCharset
                                          : segment.eci >= 0           ? characterSetOfEci(segment.eci)
                                                                       : std::string()});
    }
    return textOf(payload);
}

}
