#pragma once

#include <opencv2/core.hpp>

#include <string>

// Builds complete QR symbols from data codewords of any content, so that a
// reader meets hostile payloads behind error correction that checks out. The
// port of ZXing's reader has no writer; its tables (versions, blocks,
// alignment centres, version information, data masks, the Galois field) are
// the ones a symbol is built from here, so that what it reads is what was
// meant.
namespace qr_symbol_builder {

// How many data codewords a symbol of the version (1 to 40) and level (as
// the format information holds it: 0 M, 1 L, 2 H, 3 Q) carries.
int dataCodewordCount(int version, int levelBits);

// The symbol's modules, dark as 0 and light as 255, one pixel each, without
// a quiet zone. Codewords past the symbol's capacity are dropped and missing
// ones are zero; mask is taken modulo the eight data masks.
cv::Mat modules(int version, int levelBits, int mask, const std::string& dataCodewords);

// The symbol drawn at moduleSize pixels a module inside a light quiet zone of
// quietModules modules.
cv::Mat render(const cv::Mat& modules, int moduleSize, int quietModules = 4);

// The data codewords of one byte mode segment holding text, terminated and
// padded as an ordinary writer does; text must fit.
std::string byteModeCodewords(const std::string& text, int version, int levelBits);

}
