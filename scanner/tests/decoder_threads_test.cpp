#include "footage.h"

#include "decoding/decoder.h"
#include "run/scan_region.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>

namespace {

// Two runs' scanning threads may decode at the same time, each with a decoder
// of its own; whatever a decoding library shares between its decoders must
// stand that. ThreadSanitizer watches this test: the port of ZXing's reader
// counts references to objects its decoders share.
TEST(DecoderThreads, TwoScanningThreadsReadTheSameCodeAtOnce)
{
    const std::string text = "https://example.com/two/threads";
    const cv::Mat frame = footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text, 4), 4}});
    const cv::Mat region = frame(scanlet::scanRegion(frame.size()));
    // Every way of reading, more than once, on each thread.
    constexpr int attempts = 16;
    for (const auto kind : {scanlet::DecoderKind::ZXingPort, scanlet::DecoderKind::ZXing}) {
        if (!scanlet::isBuiltIn(kind)) {
            continue;
        }
        std::array<int, 2> reads{};
        std::array<std::thread, 2> threads;
        for (std::size_t i = 0; i < threads.size(); ++i) {
            threads[i] = std::thread([&, i] {
                const auto decoder = scanlet::makeDecoder(kind);
                for (int attempt = 0; attempt < attempts; ++attempt) {
                    reads[i] += decoder->decode(region).text == text ? 1 : 0;
                }
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(reads, (std::array<int, 2>{attempts, attempts})) << "decoder " << static_cast<int>(kind);
    }
}

}
