#include "payload_symbol.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>

namespace {

using payload_symbol::BitWriter;

// Mode indicators.
constexpr int numeric = 0x1;
constexpr int alphanumeric = 0x2;
constexpr int structuredAppend = 0x3;
constexpr int byteMode = 0x4;
constexpr int fnc1First = 0x5;
constexpr int eci = 0x7;
constexpr int kanji = 0x8;
constexpr int fnc1Second = 0x9;
constexpr int hanzi = 0xD;

// Count field widths of versions 1 to 9 and of 27 to 40.
constexpr int smallByteCount = 8;
constexpr int largeByteCount = 16;
constexpr int levelL = 1;

// The stream followed by a byte mode segment.
BitWriter bytesIn(BitWriter stream, const std::string& bytes, int countBits = smallByteCount)
{
    stream.put(byteMode, 4).put(static_cast<std::uint32_t>(bytes.size()), countBits).putBytes(bytes);
    return stream;
}

BitWriter withEci(int designator, const std::string& bytes)
{
    return bytesIn(BitWriter().put(eci, 4).put(designator, 8), bytes);
}

}

// Writes the payload parser's starting inputs: hostile bit streams in symbols
// whose error correction would check out, each aimed at one of the parser's
// or the text conversion's edges.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " folder\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto write = [&](const std::string& name, const BitWriter& stream, int version = 5) {
        const auto data = payload_symbol::encode({version, levelL, stream.codewords()});
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    };

    write("byte-count-past-the-end", BitWriter().put(byteMode, 4).put(255, smallByteCount).putBytes("ab"));
    // A byte mode header in the last twelve bits of version 1's nineteen
    // codewords, whose count finds no bits left.
    write("byte-count-at-the-very-end",
          bytesIn({}, std::string(16, 'b')).put(byteMode, 4).put(5, smallByteCount), 1);
    write("numeric-count-past-the-end", BitWriter().put(numeric, 4).put(1000, 10).put(123, 10));
    write("eci-beyond-its-range", BitWriter().put(eci, 4).put(0xFFFFFF, 24).put(byteMode, 4).put(1, 8).put('x', 8));
    write("eci-lead-byte-reserved", BitWriter().put(eci, 4).put(0xF0, 8).put(byteMode, 4).put(1, 8).put('x', 8));
    BitWriter repeated;
    for (const int designator : {26, 3, 25, 26, 32}) {
        repeated.put(eci, 4).put(designator, 8);
    }
    write("eci-repeated", bytesIn(repeated, "x\xC3"));
    write("kanji-values-unassigned", BitWriter().put(kanji, 4).put(3, 8).put(0x1FFF, 13).put(0, 13).put(0x0AAA, 13));
    write("kanji-count-past-the-end", BitWriter().put(kanji, 4).put(200, 8).put(0x0AAA, 13));
    write("empty-byte-segment", bytesIn(BitWriter().put(byteMode, 4).put(0, smallByteCount), "x"));
    write("hanzi-values-unassigned", BitWriter().put(hanzi, 4).put(1, 4).put(2, 8).put(0x1FFF, 13).put(0, 13));
    write("numeric-values-too-large",
          BitWriter().put(numeric, 4).put(3, 10).put(1023, 10).put(numeric, 4).put(2, 10).put(127, 7)
              .put(numeric, 4).put(1, 10).put(15, 4));
    write("alphanumeric-values-too-large",
          BitWriter().put(alphanumeric, 4).put(2, 9).put(2047, 11).put(alphanumeric, 4).put(1, 9).put(63, 6));
    write("reserved-modes", BitWriter().put(0x6, 4).put(0xA, 4).put(0xB, 4).put(0xC, 4).put(0xE, 4).put(0xF, 4));
    write("structured-append-header", bytesIn(BitWriter().put(structuredAppend, 4).put(3, 4).put(15, 4).put(0xA5, 8), "part"));
    write("fnc1-first-position", BitWriter().put(fnc1First, 4).put(alphanumeric, 4).put(3, 9).put(38 * 45 + 10, 11).put(38, 6));
    write("fnc1-second-position", bytesIn(BitWriter().put(fnc1Second, 4).put('a', 8), "01234%"));
    write("nul-first-under-utf16", withEci(25, std::string("\0\0\0", 3)));
    write("nul-inside", bytesIn({}, std::string("ab\0cd", 5)));
    write("utf8-broken-under-its-eci", withEci(26, "a\xC3(\xE0\x80\xAF\xF0\x9F\x99"));
    write("utf16-lone-surrogates", withEci(25, std::string("\xD8\x3D\x00\x41\xDC\x00", 6)));
    write("gb18030-cut-off", withEci(32, "\xB6\xFE\x81\x30\x81"));
    BitWriter mixed = withEci(3, "caf\xE9 ");
    write("latin1-eci-then-kanji", mixed.put(kanji, 4).put(2, 8).put(0x0AAA, 13).put(0x1FFF, 13));

    constexpr int largest = 40;
    BitWriter designators;
    for (int i = 0; i < 1900; ++i) {
        designators.put(eci, 4).put(26, 8);
    }
    write("thousands-of-eci-segments", bytesIn(designators, "x", largeByteCount), largest);
    BitWriter empty;
    for (int i = 0; i < 1100; ++i) {
        empty = bytesIn(std::move(empty), "", largeByteCount);
    }
    write("thousands-of-empty-segments", empty, largest);
    std::string full(2953, '\0');
    for (std::size_t i = 0; i < full.size(); ++i) {
        full[i] = static_cast<char>(0x80 + i % 0x80);
    }
    write("largest-byte-payload", bytesIn({}, full, largeByteCount), largest);
    return 0;
}
