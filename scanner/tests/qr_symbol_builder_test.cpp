#include "payload_symbol.h"
#include "qr_symbol_builder.h"

#include "decoding/decoder.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <string>
#include <vector>

namespace {

struct Layout {
    int version;
    int levelBits;
    int mask;
};

std::string readBack(scanlet::DecoderKind kind, const Layout& layout, const std::string& text)
{
    const cv::Mat symbol = qr_symbol_builder::render(
        qr_symbol_builder::modules(layout.version, layout.levelBits, layout.mask,
                                   qr_symbol_builder::byteModeCodewords(text, layout.version, layout.levelBits)),
        payload_symbol::Drawing{}.moduleSize);
    cv::Mat region;
    cv::cvtColor(symbol, region, cv::COLOR_GRAY2BGR);
    // Drawn as the whole-reader fuzz target draws a seed, and read by a fresh
    // decoder, which reads its first frame the plain way.
    return scanlet::makeDecoder(kind)->decode(region).text;
}

// Every mask, every level, versions with and without version information and
// with one and many blocks: a fault in any table the builder takes from the
// port, or in its own encoding and placement, leaves the symbol unreadable.
std::vector<Layout> layouts()
{
    std::vector<Layout> all;
    for (int mask = 0; mask < 8; ++mask) {
        all.push_back({7, 1, mask});
    }
    for (int levelBits = 0; levelBits < 4; ++levelBits) {
        all.push_back({7, levelBits, 3});
    }
    for (const int version : {1, 2, 10, 22, 27, 40}) {
        all.push_back({version, 3 - version % 4, version % 8});
    }
    return all;
}

void expectReadBack(scanlet::DecoderKind kind)
{
    const std::string text = "Grüße aus scanlet, https://example.com/ticket/8f14e45f";
    for (const auto& layout : layouts()) {
        // Version 1 at level H holds nine codewords, version 2 at level L 34.
        const std::string fitting = layout.version <= 2 ? text.substr(0, 7) : text;
        EXPECT_EQ(readBack(kind, layout, fitting), fitting)
            << "version " << layout.version << ", level bits " << layout.levelBits << ", mask " << layout.mask;
    }
}

}

TEST(QrSymbolBuilder, TheConfiguredDecoderReadsBuiltSymbolsAsTheirText)
{
    expectReadBack(scanlet::configuredDecoder());
}

TEST(QrSymbolBuilder, ThePortReadsBuiltSymbolsAsTheirText)
{
    expectReadBack(scanlet::DecoderKind::ZXingPort);
}

TEST(QrSymbolBuilder, AFullSymbolCarriesItsWholeCapacity)
{
    const int capacity = qr_symbol_builder::dataCodewordCount(40, 1);
    EXPECT_EQ(capacity, 2956);
    const std::string text(static_cast<std::size_t>(capacity - 3), 'q');
    EXPECT_EQ(readBack(scanlet::configuredDecoder(), {40, 1, 5}, text), text);
}

// The data of versions 34 to 40 holds dozens of spots that pass for finder
// patterns, some met on as many rows as the code's own, enough to crowd the
// code's own three out of the triples the port tries: drawn at 3-pixel
// modules with text of no pattern, two in five went unread, every mask alike.
TEST(QrSymbolBuilder, ThePortFindsTheFinderPatternsOfLargeCodesAmongTheirData)
{
    for (int version = 34; version <= 40; ++version) {
        for (int mask = 0; mask < 8; ++mask) {
            const int levelBits = 1 + mask % 2;
            std::string text(static_cast<std::size_t>(qr_symbol_builder::dataCodewordCount(version, levelBits) / 2), ' ');
            unsigned state = static_cast<unsigned>(version * 8 + mask);
            for (auto& letter : text) {
                state = state * 1103515245u + 12345u;
                letter = static_cast<char>('a' + (state >> 16) % 26);
            }
            EXPECT_EQ(readBack(scanlet::DecoderKind::ZXingPort, {version, levelBits, mask}, text), text)
                << "version " << version << ", level bits " << levelBits << ", mask " << mask;
        }
    }
}
