#include "text/text_encoding.h"

#include "text/character_pieces.h"
#include "text/character_set.h"
#include "text/character_set_guess.h"
#include "text/utf8.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace scanlet {
namespace {

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
