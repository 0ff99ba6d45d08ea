#include "decoding/way.h"

namespace scanlet {

bool isSideBySide(ReadingMethod method)
{
    return method == ReadingMethod::bothPolarities || method == ReadingMethod::zoomedCentre;
}

std::string nameOf(ReadingMethod method)
{
    switch (method) {
    case ReadingMethod::plain: return "plain";
    case ReadingMethod::sharpened: return "sharpened";
    case ReadingMethod::stretched: return "stretched";
    case ReadingMethod::bothPolarities: return "both polarities";
    case ReadingMethod::zoomedCentre: return "zoomed centre";
    case ReadingMethod::globalThreshold: return "global threshold";
    case ReadingMethod::fixedThreshold: return "fixed threshold";
    case ReadingMethod::windowMean: return "window mean";
    }
    return "unknown";
}

}
