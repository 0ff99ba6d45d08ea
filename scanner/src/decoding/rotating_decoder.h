#pragma once

#include "decoding/decoder.h"
#include "decoding/image_reader.h"
#include "decoding/way.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <memory>
#include <vector>

namespace scanlet {

// A camera shows the same code on many frames in a row, so instead of trying
// every way of reading on every frame, the decoder takes one per frame, in
// rotation: a code one way misses is read a frame or two later while each
// frame still costs a single decoding attempt. The rotation prepares the image
// a way names, hands it to the reader of a decoding library with the way's
// binarizer, and maps the corners found back into the region.
class RotatingDecoder final : public Decoder {
public:
    explicit RotatingDecoder(std::unique_ptr<ImageReader> reader);

    Decoded decode(const cv::Mat& region) override;
    void prime(const cv::Mat& image) override;

    // One attempt with the given way, outside the rotation.
    Decoded decodeWith(const cv::Mat& region, const Way& way);

    // Which of the ways the next frame takes, counted from the first, which a
    // new decoder starts at. Lets a measurement start a scene at any point of
    // the rotation.
    void startAt(std::size_t wayIndex);

    // This decoder's ways, in the order it takes them: the shared ones, and
    // the reader's own after them.
    std::vector<Way> ways() const;

private:
    // The images a frame's region is prepared into, kept from frame to frame:
    // each is half a megabyte or more, and memory that large, freed and asked
    // for again on every frame, costs page faults wherever the allocator hands
    // it back to the system, as Windows' does.
    struct Images {
        cv::Mat grey;
        cv::Mat blurred;
        cv::Mat prepared;
        cv::Mat sideBySide;
    };

    const cv::Mat& greyOf(const cv::Mat& region);
    PreparedImage prepare(const cv::Mat& grey, Preparation preparation);
    Decoded decodeDeblurred(const cv::Mat& grey, Binarizer binarizer);

    Images images;
    std::unique_ptr<ImageReader> reader;
    std::vector<Way> all;
    std::size_t next = 0;
};

}
