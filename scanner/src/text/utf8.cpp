#include "text/utf8.h"

namespace scanlet {
namespace {

// The length of the sequence a lead byte opens, 0 for a byte that opens none.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Whether a well-formed sequence starts at i; moves past it if so.
bool skipCodePoint(const std::string& text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = sequenceLength(lead);
    if (length == 0 || i + length > text.size()) {
        return false;
    }
    std::int32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return false;
        }
        point = (point << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and points beyond Unicode are not UTF-8.
    static const std::int32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < smallest[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
        return false;
    }
    i += length;
    return true;
}

// The length of the longest start of a sequence at i that a well-formed one
// could begin with, at least one: what one U+FFFD replaces, as Unicode
// recommends, so that the bytes after a broken sequence are read as they are.
std::size_t brokenSequenceLength(const std::string& text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = sequenceLength(lead);
    // The second byte's range also rules out overlong forms, surrogates and
    // points beyond Unicode.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    std::size_t taken = 1;
    while (taken < length && i + taken < text.size()) {
        const auto next = static_cast<unsigned char>(text[i + taken]);
        const bool fits = taken == 1 ? next >= low && next <= high : (next & 0xC0) == 0x80;
        if (!fits) {
            break;
        }
        ++taken;
    }
    return taken;
}

}

std::string utf8WithReplacements(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        if (skipCodePoint(bytes, i)) {
            text.append(bytes, start, i - start);
        } else {
            text += replacementCharacter;
            i += brokenSequenceLength(bytes, i);
        }
    }
    return text;
}

void appendCodePoint(std::string& text, std::uint32_t point)
{
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xC0 | (point >> 6));
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xE0 | (point >> 12));
        text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (point >> 18));
        text += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    }
}

bool isUtf8(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        if (!skipCodePoint(bytes, i)) {
            return false;
        }
    }
    return true;
}

}
