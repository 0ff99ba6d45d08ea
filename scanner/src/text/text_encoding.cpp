#include "text/text_encoding.h"

#include "text/character_pieces.h"
#include "text/character_set.h"
#include "text/character_set_guess.h"

#include <algorithm>
#include <cstdint>
#include <utility>

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

// U+FFFD, the character that stands for a sequence that is no text.
const std::string replacementCharacter = "\xEF\xBF\xBD";

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

std::string asciiWithReplacements(const std::string& bytes)
{
    std::string text;
    for (const char byte : bytes) {
        if (byte & 0x80) {
            text += replacementCharacter;
        } else {
            text += byte;
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

bool isHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// A surrogate without its partner and an odd last byte each become U+FFFD.
std::string utf16BigEndianWithReplacements(const std::string& bytes)
{
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) << 8 | static_cast<unsigned char>(bytes[i + 1]));
    };
    std::string text;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (isHighSurrogate(unit) && i + 3 < bytes.size() && isLowSurrogate(unitAt(i + 2))) {
            appendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
            i += 2;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            text += replacementCharacter;
        } else {
            appendCodePoint(text, unit);
        }
    }
    if (i < bytes.size()) {
        text += replacementCharacter;
    }
    return text;
}

// Bytes in a set the platform converts. The sequences that are no character
// of the set become U+FFFD each, cut by the set's byte ranges alone, so that a
// broken payload reads the same wherever it is read.
std::string textInSet(const std::string& bytes, const std::string& characterSet)
{
    if (auto text = convertToUtf8(bytes, characterSet)) {
        return std::move(*text);
    }
    std::string text;
    for (const auto& piece : convertEachToUtf8(characterPiecesOf(bytes, characterSet), characterSet)) {
        text += piece ? *piece : replacementCharacter;
    }
    return text;
}

// Bytes in a set the code does not name.
std::string unnamedText(const std::string& bytes)
{
    if (isUtf8(bytes)) {
        return bytes;
    }
    const std::string guess = guessedCharacterSet(bytes);
    if (guess == "CP932") {
        return textInSet(bytes, guess);
    }
    if (guess.empty()) {
        // Chinese text written in GB18030 without a designator is often valid
        // in none of the sets guessed.
        if (auto text = convertToUtf8(bytes, "GB18030")) {
            return std::move(*text);
        }
    }
    return latin1ToUtf8(bytes);
}

std::string namedText(const Segment& segment)
{
    const std::string& set = segment.characterSet;
    if (set == "ISO-8859-1" || set == "binary") {
        return latin1ToUtf8(segment.bytes);
    }
    if (set == "UTF-8") {
        return utf8WithReplacements(segment.bytes);
    }
    if (set == "ASCII") {
        return asciiWithReplacements(segment.bytes);
    }
    if (set == "UTF-16BE") {
        return utf16BigEndianWithReplacements(segment.bytes);
    }
    // Windows' own readings: code page 932 for Shift_JIS, and Unified Hangul
    // Code for EUC-KR; GB18030 for the sets it extends.
    const std::string platformName = set == "Shift_JIS"                ? "CP932"
                                     : set == "EUC-KR"                 ? "CP949"
                                     : set == "GB2312" || set == "GBK" ? "GB18030"
                                                                       : set;
    return textInSet(segment.bytes, platformName);
}

}

std::string textOf(const std::vector<Segment>& payload)
{
    std::string text;
    std::string unnamed;
    for (const Segment& segment : payload) {
        if (segment.characterSet.empty()) {
            unnamed += segment.bytes;
            continue;
        }
        text += unnamedText(std::exchange(unnamed, {}));
        text += namedText(segment);
    }
    return text + unnamedText(unnamed);
}

std::string characterSetOfEci(int eci)
{
    switch (eci) {
    case 0:
    case 2: return "CP437";
    case 1:
    case 3: return "ISO-8859-1";
    case 20: return "Shift_JIS";
    case 21: return "CP1250";
    case 22: return "CP1251";
    case 23: return "CP1252";
    case 24: return "CP1256";
    case 25: return "UTF-16BE";
    case 26: return "UTF-8";
    case 27:
    case 170: return "ASCII";
    case 28: return "BIG5";
    case 29: return "GB2312";
    case 30: return "EUC-KR";
    case 31: return "GBK";
    case 32: return "GB18030";
    case 899: return "binary";
    default:
        // ISO-8859-2 to ISO-8859-16; there is no part 12.
        if (eci >= 4 && eci <= 18 && eci != 14) {
            return "ISO-8859-" + std::to_string(eci - 2);
        }
        return "";
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

std::string latin1ToUtf8(const std::string& bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        appendCodePoint(text, static_cast<unsigned char>(byte));
    }
    return text;
}

}
