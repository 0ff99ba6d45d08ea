#include "decoding/way.h"

namespace scanlet {

std::string nameOf(const Way& way)
{
    switch (way.binarizer) {
    case Binarizer::standard: break;
    case Binarizer::globalHistogram: return "global threshold";
    case Binarizer::fixedThreshold: return "fixed threshold";
    case Binarizer::windowMean: return "window mean";
    }
    switch (way.preparation) {
    case Preparation::plain: return "plain";
    case Preparation::sharpened: return "sharpened";
    case Preparation::stretched: return "stretched";
    case Preparation::bothPolarities: return "both polarities";
    case Preparation::zoomedCentre: return "zoomed centre";
    case Preparation::deblurred: return "deblurred";
    }
    return "unknown";
}

}
