#include "text/character_pieces.h"

namespace scanlet {
namespace {

bool within(unsigned char byte, unsigned char low, unsigned char high)
{
    return byte >= low && byte <= high;
}

// Past the end reads as a byte that no sequence takes.
unsigned char byteAt(const std::string& bytes, std::size_t i)
{
    return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0;
}

// The length of the sequence that starts at bytes[i] in a double-byte set;
// one for a single byte or a lead whose follower cannot end it.
using SequenceLength = std::size_t (*)(const std::string& bytes, std::size_t i);

std::size_t shiftJisLength(const std::string& bytes, std::size_t i)
{
    const unsigned char lead = byteAt(bytes, i);
    const unsigned char trail = byteAt(bytes, i + 1);
    const bool opens = within(lead, 0x81, 0x9F) || within(lead, 0xE0, 0xFC);
    return opens && (within(trail, 0x40, 0x7E) || within(trail, 0x80, 0xFC)) ? 2 : 1;
}

// GB18030 adds four-byte sequences, whose second and fourth bytes are digits.
std::size_t gb18030Length(const std::string& bytes, std::size_t i)
{
    if (!within(byteAt(bytes, i), 0x81, 0xFE)) {
        return 1;
    }
    const unsigned char second = byteAt(bytes, i + 1);
    if (within(second, 0x30, 0x39)) {
        return within(byteAt(bytes, i + 2), 0x81, 0xFE) && within(byteAt(bytes, i + 3), 0x30, 0x39) ? 4 : 1;
    }
    return within(second, 0x40, 0x7E) || within(second, 0x80, 0xFE) ? 2 : 1;
}

std::size_t big5Length(const std::string& bytes, std::size_t i)
{
    const unsigned char trail = byteAt(bytes, i + 1);
    return within(byteAt(bytes, i), 0x81, 0xFE) && (within(trail, 0x40, 0x7E) || within(trail, 0xA1, 0xFE)) ? 2 : 1;
}

// Unified Hangul Code, the superset of EUC-KR that Windows reads it as.
std::size_t unifiedHangulLength(const std::string& bytes, std::size_t i)
{
    const unsigned char trail = byteAt(bytes, i + 1);
    const bool ends = within(trail, 0x41, 0x5A) || within(trail, 0x61, 0x7A) || within(trail, 0x81, 0xFE);
    return within(byteAt(bytes, i), 0x81, 0xFE) && ends ? 2 : 1;
}

std::size_t singleByte(const std::string&, std::size_t)
{
    return 1;
}

SequenceLength lengthRuleOf(const std::string& characterSet)
{
    if (characterSet == "CP932") {
        return shiftJisLength;
    }
    if (characterSet == "GB18030") {
        return gb18030Length;
    }
    if (characterSet == "BIG5") {
        return big5Length;
    }
    if (characterSet == "CP949") {
        return unifiedHangulLength;
    }
    return singleByte;
}

}

std::vector<std::string> characterPiecesOf(const std::string& bytes, const std::string& characterSet)
{
    const SequenceLength lengthAt = lengthRuleOf(characterSet);
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = lengthAt(bytes, i);
        pieces.push_back(bytes.substr(i, length));
        i += length;
    }
    return pieces;
}

}
