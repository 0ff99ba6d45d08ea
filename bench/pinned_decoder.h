#pragma once

#include "decoding/rotating_decoder.h"

#include <memory>
#include <stdexcept>

namespace bench {

// One way of reading of a decoder that takes turns, on every frame.
class PinnedDecoder : public scanlet::Decoder {
public:
    PinnedDecoder(std::unique_ptr<scanlet::Decoder> decoder, scanlet::ReadingMethod method)
        : owned(std::move(decoder)), rotating(dynamic_cast<scanlet::RotatingDecoder*>(owned.get())), method(method)
    {
        if (rotating == nullptr) {
            throw std::invalid_argument("the decoder takes no turns to pin");
        }
    }
    scanlet::Decoded decode(const cv::Mat& region) override { return rotating->decodeWith(region, method); }

private:
    std::unique_ptr<scanlet::Decoder> owned;
    scanlet::RotatingDecoder* rotating;
    scanlet::ReadingMethod method;
};

// A decoder that takes turns over the ways every decoder has only, without
// its own: what it costs and reads beside the decoder's full round.
class SharedWaysDecoder : public scanlet::Decoder {
public:
    explicit SharedWaysDecoder(std::unique_ptr<scanlet::Decoder> decoder)
        : owned(std::move(decoder)), rotating(dynamic_cast<scanlet::RotatingDecoder*>(owned.get()))
    {
        if (rotating == nullptr) {
            throw std::invalid_argument("the decoder takes no turns");
        }
    }
    scanlet::Decoded decode(const cv::Mat& region) override
    {
        const auto method = scanlet::sharedWays[turn];
        turn = (turn + 1) % scanlet::sharedWays.size();
        return rotating->decodeWith(region, method);
    }

private:
    std::unique_ptr<scanlet::Decoder> owned;
    scanlet::RotatingDecoder* rotating;
    std::size_t turn = 0;
};

}
