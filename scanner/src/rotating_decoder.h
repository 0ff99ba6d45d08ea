#pragma once

#include "decoder.h"

#include <opencv2/core.hpp>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

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

std::string nameOf(ReadingMethod method);

// A camera shows the same code on many frames in a row, so instead of trying
// every way of reading on every frame, the decoder takes one per frame, in
// turn: a code one way misses is read a frame or two later while each frame
// still costs a single decoding attempt.
class RotatingDecoder : public Decoder {
public:
    Decoded decode(const cv::Mat& region) final;

    // One attempt with the given way, outside the rotation.
    Decoded decodeWith(const cv::Mat& region, ReadingMethod method);

    // Where in the rotation the next frame's turn falls; a new decoder starts
    // at the first. Lets a measurement start a scene at any point of it.
    void startAt(std::size_t turn);

    // This decoder's ways, in the order it takes them: the shared ones, and
    // those of its own after them.
    virtual std::vector<ReadingMethod> ways() const;

protected:
    // Decodes a prepared 8-bit single-channel image, read as the way says
    // where the decoder has ways of its own; corners in its coordinates.
    virtual Decoded read(const cv::Mat& grey, ReadingMethod method) = 0;
    // The library named in the lines about images it cannot take.
    virtual std::string source() const = 0;

private:
    cv::Mat greyOf(const cv::Mat& region) const;

    std::size_t turn = 0;
};

}
