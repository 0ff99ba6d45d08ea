// The decode-rate report's decoder list for the Windows build, which has
// OpenCV's own decoder only (ZXing-cpp is not cross-built here).
#include "decoders.h"

namespace bench {

std::vector<NamedDecoder> decoders()
{
    return {{"OpenCV", scanlet::makeDecoder}};
}

}
