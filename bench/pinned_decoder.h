#pragma once

#include "decoding/rotating_decoder.h"

#include <memory>
#include <stdexcept>

namespace bench {

// One way of reading of a rotating decoder, on every frame.
class PinnedDecoder : public scanlet::Decoder {
public:
    PinnedDecoder(std::unique_ptr<scanlet::Decoder> decoder, scanlet::Way way)
        : owned(std::move(decoder)), rotating(dynamic_cast<scanlet::RotatingDecoder*>(owned.get())), way(way)
    {
        if (rotating == nullptr) {
            throw std::invalid_argument("the decoder has no rotation to pin");
        }
    }
    scanlet::Decoded decode(const cv::Mat& region) override { return rotating->decodeWith(region, way); }

private:
    std::unique_ptr<scanlet::Decoder> owned;
    scanlet::RotatingDecoder* rotating;
    scanlet::Way way;
};

// A decoder whose rotation holds only the ways every decoder has, without its
// own: what it costs and reads beside the decoder's full round.
class SharedWaysDecoder : public scanlet::Decoder {
public:
    explicit SharedWaysDecoder(std::unique_ptr<scanlet::Decoder> decoder)
        : owned(std::move(decoder)), rotating(dynamic_cast<scanlet::RotatingDecoder*>(owned.get()))
    {
        if (rotating == nullptr) {
            throw std::invalid_argument("the decoder has no rotation");
        }
    }
    scanlet::Decoded decode(const cv::Mat& region) override
    {
        const auto& way = scanlet::sharedWays[next];
        next = (next + 1) % scanlet::sharedWays.size();
        return rotating->decodeWith(region, way);
    }

private:
    std::unique_ptr<scanlet::Decoder> owned;
    scanlet::RotatingDecoder* rotating;
    std::size_t next = 0;
};

}
