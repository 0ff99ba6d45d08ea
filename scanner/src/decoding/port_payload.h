#pragma once

#include <zxing/common/payload_segment.hpp>

#include <string>
#include <vector>

namespace scanlet {

// The text a host receives for the segments the port's bit-stream parser
// found, with the character sets the code names for them; the set the port
// reports for the whole is a guess of its own.
std::string textOfPortSegments(const std::vector<zxing::PayloadSegment>& segments);

}
