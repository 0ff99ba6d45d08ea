#pragma once

#include <array>
#include <string>

namespace scanlet {

// The ways a frame's region can be prepared for one decoding attempt.
enum class ReadingMethod {
    // The region in grey, as the camera gave it.
    plain,
    // Sharpened: codes blurred by focus or motion.
    sharpened,
    // Stretched to the full grey range: low contrast and dim light.
    stretched,
    // Side by side at full size as it is and inverted: light-on-dark codes, and
    // dark-on-light ones still read in the same attempt.
    bothPolarities,
    // Side by side as it is and its central half at twice the size: small codes
    // held in the middle, whose modules are too few pixels wide.
    zoomedCentre,
    // For decoders that let the caller choose how grey becomes dark and light,
    // the region in grey with one threshold for all of it, taken from its
    // histogram, instead of thresholds from each part's neighbourhood: codes
    // whose dark and light parts the neighbourhood thresholds split wrongly.
    globalThreshold,
    // Stretched, with one threshold at mid-grey.
    fixedThreshold,
    // For decoders that let the caller choose, the region in grey with each
    // pixel compared to the mean of a large window around it, wider than a
    // small code's finder pattern: codes whose blocks of thresholds split a
    // module's light or dark across a block's edge.
    windowMean,
};

// The ways every decoder has, in the order it takes them. Every way reads a
// clean dark-on-light code wherever it lies in the region, so such a code is
// reported on the first frame it is whole in view; a light-on-dark code is read
// within every round of a decoder's ways.
constexpr std::array<ReadingMethod, 5> sharedWays{ReadingMethod::plain, ReadingMethod::sharpened,
                                                  ReadingMethod::stretched, ReadingMethod::bothPolarities,
                                                  ReadingMethod::zoomedCentre};

// Whether the way's image holds two copies side by side, each as wide as the
// region: the region as it is on the left, the copy the way adds on the right.
bool isSideBySide(ReadingMethod method);

std::string nameOf(ReadingMethod method);

}
