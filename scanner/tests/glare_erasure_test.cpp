#include "qr_symbol_builder.h"

#include <zxing/common/bitmatrix.hpp>
#include <zxing/qrcode/decoder/decoder.hpp>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// A square of modules, counted from the symbol's top-left corner.
struct Square {
    int x;
    int y;
    int side;

    bool holds(int col, int row) const { return col >= x && col < x + side && row >= y && row < y + side; }
};

struct Symbol {
    int version;
    int levelBits;
    std::string text;

    cv::Mat modules() const
    {
        return qr_symbol_builder::modules(version, levelBits, 2,
                                          qr_symbol_builder::byteModeCodewords(text, version, levelBits));
    }
};

zxing::Ref<zxing::BitMatrix> matrixOf(int dimension)
{
    zxing::ErrorHandler error;
    return zxing::Ref<zxing::BitMatrix>(new zxing::BitMatrix(dimension, error));
}

// The port's decoder on the modules as sampled, with the glare it is told of;
// empty where it reads nothing. It unmasks the modules in place, so it gets a
// copy.
std::string decoded(zxing::Ref<zxing::BitMatrix> dark, zxing::Ref<zxing::BitMatrix> glare)
{
    zxing::qrcode::Decoder decoder;
    zxing::ErrorHandler error;
    zxing::Ref<zxing::BitMatrix> sampled(
        new zxing::BitMatrix(dark->getWidth(), dark->getHeight(), dark->getPtr(), error));
    zxing::Ref<zxing::DecoderResult> result = decoder.decode(sampled, glare, error);
    if (error.ErrCode() || result.empty()) {
        return {};
    }
    return result->getText()->getText();
}

// The dark modules of the symbol as a binarizer sees them under glare over
// the square: light there, whatever they are.
zxing::Ref<zxing::BitMatrix> washedOut(const cv::Mat& modules, const Square& washed)
{
    auto dark = matrixOf(modules.cols);
    for (int row = 0; row < modules.rows; ++row) {
        for (int col = 0; col < modules.cols; ++col) {
            if (modules.at<uchar>(row, col) == 0 && !washed.holds(col, row)) {
                dark->set(col, row);
            }
        }
    }
    return dark;
}

zxing::Ref<zxing::BitMatrix> glareOver(int dimension, const Square& square)
{
    auto glare = matrixOf(dimension);
    for (int row = 0; row < dimension; ++row) {
        for (int col = 0; col < dimension; ++col) {
            if (square.holds(col, row)) {
                glare->set(col, row);
            }
        }
    }
    return glare;
}

// What the port reads of the modules washed out over the square, told of the
// glare there.
std::string readUnderGlare(const cv::Mat& modules, const Square& square)
{
    return decoded(washedOut(modules, square), glareOver(modules.cols, square));
}

// Each square washes out more codewords than the correction of errors alone
// can take, yet few enough as erasures: the first symbol has one block, which
// its text fills so that no padding helps, the second four in two sizes,
// whose codewords the glare must be traced into as they are interleaved.
// Transposed, the symbol is read as a mirror image, and the glare with it.
TEST(GlareErasures, ReadWhereTheCorrectionOfErrorsAloneCannot)
{
    const std::pair<Symbol, Square> cases[] = {
        {{2, 1, "https://ex.com/glare-on-a-card-1"}, {9, 11, 6}},
        {{5, 3, "https://ex.com/a-card-under-a-lamp"}, {9, 13, 15}},
    };
    for (const auto& [symbol, square] : cases) {
        SCOPED_TRACE("version " + std::to_string(symbol.version));
        const cv::Mat modules = symbol.modules();
        const auto dark = washedOut(modules, square);
        ASSERT_EQ(decoded(dark, zxing::Ref<zxing::BitMatrix>()), "");
        EXPECT_EQ(decoded(dark, glareOver(modules.cols, square)), symbol.text);

        const cv::Mat mirrored = modules.t();
        const Square across{square.y, square.x, square.side};
        EXPECT_EQ(readUnderGlare(mirrored, across), symbol.text);
    }
}

// A short text leaves most of a larger symbol's data codewords to the
// padding a writer fills them with. Each square hides more codewords than
// even erasures can take, most of them padding, which is known once it is
// known where it begins; the second symbol has two blocks, the padding in
// both.
TEST(GlareErasures, ReadWhereTheGlareHidesMostlyPadding)
{
    const std::pair<Symbol, Square> cases[] = {
        {{3, 1, "https://ex.com/pad"}, {8, 10, 11}},
        {{6, 1, "https://ex.com/a-card"}, {12, 16, 15}},
    };
    for (const auto& [symbol, square] : cases) {
        SCOPED_TRACE("version " + std::to_string(symbol.version));
        EXPECT_EQ(readUnderGlare(symbol.modules(), square), symbol.text);
    }
}

// Without glare, the first segment's header says where the padding begins:
// a square of misread modules over it is corrected with the padding known,
// where the correction of errors alone cannot.
TEST(KnownPadding, CorrectsMisreadPaddingWhereTheHeaderPlacesIt)
{
    const Symbol symbol{3, 1, "https://ex.com/pad"};
    EXPECT_EQ(decoded(washedOut(symbol.modules(), {10, 10, 7}), zxing::Ref<zxing::BitMatrix>()), symbol.text);
}

// Glare anywhere, of any size, told of or told of in the wrong place, with
// modules misread beside it: a symbol is read with its own text or not at
// all. Corrected up to the bound, erasures would turn such damage into
// other texts.
TEST(GlareErasures, NeverReadAsAnotherText)
{
    std::mt19937 random(7);
    const auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    int read = 0;
    for (const Symbol& symbol : {Symbol{1, 1, "https://ex.com"}, Symbol{2, 1, "https://ex.com/glare"},
                                 Symbol{2, 0, "https://ex.com/glare"}, Symbol{3, 1, "https://ex.com/glare"}}) {
        SCOPED_TRACE("version " + std::to_string(symbol.version) + ", level bits " +
                     std::to_string(symbol.levelBits));
        const cv::Mat modules = symbol.modules();
        const int dimension = modules.cols;
        for (int trial = 0; trial < 600; ++trial) {
            const int side = between(3, dimension / 2);
            const Square washed{between(0, dimension - side), between(0, dimension - side), side};
            const Square told = between(0, 3) == 0 ? Square{between(0, dimension - side), between(0, dimension - side), side}
                                                   : washed;
            auto dark = washedOut(modules, washed);
            for (int flips = between(0, 12); flips > 0; --flips) {
                dark->flip(between(0, dimension - 1), between(0, dimension - 1));
            }
            const std::string text = decoded(dark, glareOver(dimension, told));
            if (!text.empty()) {
                ASSERT_EQ(text, symbol.text) << "glare at " << washed.x << "," << washed.y << " across "
                                             << washed.side;
                ++read;
            }
        }
    }
    // Not a test of refusing everything.
    EXPECT_GT(read, 500);
}

}
