#include "text_encoding.h"

#include "character_set.h"
#include "character_set_guess.h"

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

bool isAscii(const std::string& bytes)
{
    return std::none_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
}

// Bytes in a set the code does not name.
std::string unnamedText(const std::string& bytes)
{
    if (isUtf8(bytes)) {
        return bytes;
    }
    const std::string guess = guessedCharacterSet(bytes);
    if (guess == "CP932") {
        if (auto text = convertToUtf8(bytes, guess)) {
            return std::move(*text);
        }
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
    if ((set == "UTF-8" && isUtf8(segment.bytes)) || (set == "ASCII" && isAscii(segment.bytes))) {
        return segment.bytes;
    }
    // Windows' own reading of Shift_JIS, and GB18030 for the sets it extends.
    const std::string platformName = set == "Shift_JIS" ? "CP932" : set == "GB2312" || set == "GBK" ? "GB18030" : set;
    if (auto text = convertToUtf8(segment.bytes, platformName)) {
        return std::move(*text);
    }
    return unnamedText(segment.bytes);
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
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x80) {
            text += byte;
        } else {
            text += static_cast<char>(0xC0 | (value >> 6));
            text += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return text;
}

}
