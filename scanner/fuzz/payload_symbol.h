#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The payload parser's fuzz inputs: a QR symbol's version and error
// correction level, then its data codewords. The seeds are written, and the
// inputs read, in this one layout.
namespace payload_symbol {

struct Symbol {
    // 1 to 40.
    int version = 1;
    // As the format information holds it: 0 for M, 1 for L, 2 for H, 3 for Q.
    int levelBits = 1;
    std::string codewords;
};

// Any bytes make a symbol: the version and level are taken modulo their
// ranges, and the codewords are the rest, as many as there are.
inline Symbol decode(const std::uint8_t* data, std::size_t size)
{
    Symbol symbol;
    if (size >= 2) {
        symbol.version = 1 + data[0] % 40;
        symbol.levelBits = data[1] % 4;
        symbol.codewords.assign(reinterpret_cast<const char*>(data + 2), size - 2);
    }
    return symbol;
}

// How the whole-reader target draws and reads a symbol, from the bits of the
// first two bytes that decode leaves unused, so that the payload parser's
// inputs serve both targets: a seed draws with mask 0, three pixels a module,
// at the rotation's first way.
struct Drawing {
    int mask = 0;
    // The fewest pixels at which both decoders read every version.
    int moduleSize = 3;
    // Which of the rotation's ways reads it, modulo their number.
    int wayIndex = 0;
};

inline Drawing drawingOf(const std::uint8_t* data, std::size_t size)
{
    Drawing drawing;
    if (size >= 2) {
        drawing.moduleSize = 3 + data[0] / 40 % 2;
        drawing.mask = data[1] >> 2 & 7;
        drawing.wayIndex = data[1] >> 5;
    }
    return drawing;
}

inline std::vector<std::uint8_t> encode(const Symbol& symbol)
{
    std::vector<std::uint8_t> data{static_cast<std::uint8_t>(symbol.version - 1),
                                   static_cast<std::uint8_t>(symbol.levelBits)};
    data.insert(data.end(), symbol.codewords.begin(), symbol.codewords.end());
    return data;
}

// Writes a bit stream most significant bit first, as a QR symbol holds it.
class BitWriter {
public:
    BitWriter& put(std::uint32_t value, int bits)
    {
        for (int bit = bits - 1; bit >= 0; --bit) {
            if (used % 8 == 0) {
                bytes += '\0';
            }
            if ((value >> bit) & 1) {
                bytes.back() = static_cast<char>(bytes.back() | (0x80 >> (used % 8)));
            }
            ++used;
        }
        return *this;
    }

    BitWriter& putBytes(const std::string& text)
    {
        for (const char c : text) {
            put(static_cast<unsigned char>(c), 8);
        }
        return *this;
    }

    const std::string& codewords() const { return bytes; }

private:
    std::string bytes;
    long used = 0;
};

}
