#pragma once

#include <opencv2/core.hpp>

#include <array>
#include <string>

namespace scanlet {

// How the rotation prepares a frame's region for one decoding attempt.
enum class Preparation {
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
    // The code's area with the blur it was seen through undone, the blur
    // estimated from the code's own edges: a camera out of focus or moving.
    deblurred,
};

// How a reader turns the prepared grey into dark and light, where it lets the
// caller choose.
enum class Binarizer {
    // The reader's own default: thresholds from each part's neighbourhood.
    standard,
    // One threshold for all of the image, taken from its histogram: codes
    // whose dark and light parts the neighbourhood thresholds split wrongly.
    globalHistogram,
    // One threshold at mid-grey.
    fixedThreshold,
    // Each pixel compared to the mean of a large window around it, wider than
    // a small code's finder pattern: codes whose blocks of thresholds split a
    // module's light or dark across a block's edge.
    windowMean,
};

// A way of reading: the image the rotation prepares, read with one of the
// reader's binarizers.
struct Way {
    Preparation preparation;
    Binarizer binarizer = Binarizer::standard;

    friend bool operator==(const Way& a, const Way& b)
    {
        return a.preparation == b.preparation && a.binarizer == b.binarizer;
    }
};

// The ways every decoder has, in the order it takes them. Every way reads a
// clean dark-on-light code wherever it lies in the region, so such a code is
// reported on the first frame it is whole in view; a light-on-dark code is read
// within every round of a decoder's rotation.
constexpr std::array<Way, 6> sharedWays{Way{Preparation::plain},        Way{Preparation::sharpened},
                                        Way{Preparation::stretched},    Way{Preparation::bothPolarities},
                                        Way{Preparation::zoomedCentre}, Way{Preparation::deblurred}};

std::string nameOf(const Way& way);

// What the rotation hands a reader: the prepared image, the part of it that
// holds the region as it is, and the part the preparation added. For a single
// image both are the whole of it; side by side, the region is on the left and
// the added copy on the right.
struct PreparedImage {
    cv::Mat image;
    cv::Rect region;
    cv::Rect added;
};

}
