#pragma once

// What the fuzz targets that feed the acceptance step share: the decoders they
// feed, the check that nothing outside the region was touched, and the quiet
// that the fuzzer's own output needs.
#include "decoding/decoder.h"

#include <opencv2/core.hpp>

#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace acceptance_harness {

// Decoder failures are reported on std::cerr; thousands of them would bury the
// fuzzer's own output. Each input forgets what the one before it wrote.
inline std::ostringstream& discardedLines()
{
    static std::ostringstream discarded;
    return discarded;
}

inline void discardDecoderLines()
{
    std::cerr.rdbuf(discardedLines().rdbuf());
}

inline void forgetDiscardedLines()
{
    discardedLines().str("");
}

// The configured decoder, and the port of ZXing's reader that scanlet.dll
// decodes with also where another decoder is configured.
inline const std::vector<std::unique_ptr<scanlet::Decoder>>& decoders()
{
    static const auto all = [] {
        std::vector<std::unique_ptr<scanlet::Decoder>> made;
        made.push_back(scanlet::makeDecoder(scanlet::configuredDecoder()));
        if (scanlet::configuredDecoder() != scanlet::DecoderKind::ZXingPort) {
            made.push_back(scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort));
        }
        return made;
    }();
    return all;
}

inline bool sameOutside(const cv::Mat& before, const cv::Mat& after, const cv::Rect& region)
{
    cv::Mat beforeOutside = before.clone();
    cv::Mat afterOutside = after.clone();
    beforeOutside(region).setTo(0);
    afterOutside(region).setTo(0);
    return cv::norm(beforeOutside.reshape(1), afterOutside.reshape(1), cv::NORM_INF) == 0;
}

}
