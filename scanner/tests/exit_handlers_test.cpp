// A decoding library that builds a table on its first code and has the
// process's exit destroy it registers that exit handler after the run's own,
// so the exit would destroy the table under a run still reading: a host that
// exits just as the process reads its first code would crash. Priming the
// decoder in the run's setup builds them all before; this test counts the
// handlers registered while primed decoders read codes of every kind.
#include "footage.h"

#include "decoding/decoder.h"
#include "decoding/prime_decoder.h"
#include "decoding/rotating_decoder.h"
#include "run/scan_region.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace {

std::atomic<int> registrations{0};

std::size_t waysOf(scanlet::Decoder& decoder)
{
    return dynamic_cast<scanlet::RotatingDecoder&>(decoder).ways().size();
}

}

// Every registration in the process comes through here first: the test
// program's own code, and that of the libraries it loads.
extern "C" int __cxa_atexit(void (*destructor)(void*), void* object, void* dso)
{
    using Register = int (*)(void (*)(void*), void*, void*);
    static const auto next = reinterpret_cast<Register>(dlsym(RTLD_NEXT, "__cxa_atexit"));
    ++registrations;
    return next(destructor, object, dso);
}

namespace {

// A first code of each kind a library may build tables for: versions with and
// without alignment patterns, numeric, alphanumeric and byte mode, text in
// several character sets, a light-on-dark code and a small one.
std::vector<cv::Mat> codesOfEveryKind()
{
    const std::vector<std::string> texts{"0123456789012345",
                                         "HELLO WORLD 42",
                                         "https://example.com/a/rather/long/path?with=query&and=more#fragment",
                                         "Grüße · Привет · 你好",
                                         "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd",
                                         "Gr\xFC\xDF" "e, caf\xE9"};
    std::vector<cv::Mat> regions;
    for (const auto& text : texts) {
        const cv::Mat frame = footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text, 6), 6}});
        regions.push_back(frame(scanlet::scanRegion(frame.size())).clone());
    }
    const std::string small = "small";
    const cv::Mat frame = footage::frameWith({{small, footage::centredIn(scanlet::fullHd, small, 3), 3}});
    regions.push_back(frame(scanlet::scanRegion(frame.size())).clone());
    cv::Mat inverted;
    cv::bitwise_not(regions.front(), inverted);
    regions.push_back(inverted);
    return regions;
}

TEST(PrimedDecoder, ReadsCodesOfEveryKindWithoutRegisteringExitHandlers)
{
    // Made first: the footage's own encoder registers handlers of its own.
    const auto regions = codesOfEveryKind();
    for (const auto kind : {scanlet::DecoderKind::ZXingPort, scanlet::DecoderKind::ZXing}) {
        if (!scanlet::isBuiltIn(kind)) {
            continue;
        }
        const auto decoder = scanlet::makeDecoder(kind);
        scanlet::primeDecoder(*decoder);
        const int before = registrations;
        int read = 0;
        // Each code around the whole rotation, so that every way meets it.
        for (const auto& region : regions) {
            for (std::size_t way = 0; way < waysOf(*decoder); ++way) {
                read += decoder->decode(region).text.empty() ? 0 : 1;
            }
        }
        EXPECT_GT(read, 0);
        EXPECT_EQ(registrations - before, 0) << "decoder " << static_cast<int>(kind);
    }
}

TEST(PrimedDecoder, ReadsThePrimingCodeInEveryWay)
{
    for (const auto kind : {scanlet::DecoderKind::ZXingPort, scanlet::DecoderKind::ZXing}) {
        if (!scanlet::isBuiltIn(kind)) {
            continue;
        }
        const auto decoder = scanlet::makeDecoder(kind);
        const cv::Mat image = scanlet::primingImage();
        for (std::size_t way = 0; way < waysOf(*decoder); ++way) {
            EXPECT_EQ(decoder->decode(image).text, "scanlet") << "decoder " << static_cast<int>(kind) << ", way " << way;
        }
    }
}

}
