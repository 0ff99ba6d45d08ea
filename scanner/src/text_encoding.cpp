#include "text_encoding.h"

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

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

// Decodes the sequence at i and moves past it; -1 for a malformed one.
std::int32_t nextCodePoint(const std::string& text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = sequenceLength(lead);
    if (length == 0 || i + length > text.size()) {
        ++i;
        return -1;
    }
    std::int32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        point = (point << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and points beyond Unicode are not UTF-8.
    static const std::int32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < smallest[length] || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) {
        ++i;
        return -1;
    }
    i += length;
    return point;
}

bool isUnlikely(std::int32_t point)
{
    const bool control = (point < 0x20 && point != '\t' && point != '\n' && point != '\r') ||
                         (point >= 0x7F && point < 0xA0);
    const bool latin1Sign = (point >= 0xA0 && point < 0xC0) || point == 0xD7 || point == 0xF7;
    const bool privateUse = point >= 0xE000 && point <= 0xF8FF;
    const bool halfWidthKatakana = point >= 0xFF61 && point <= 0xFF9F;
    return point < 0 || control || latin1Sign || privateUse || halfWidthKatakana || point == 0xFFFD;
}

}

bool isUtf8(const std::string& bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        if (nextCodePoint(bytes, i) < 0) {
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

int unlikelyCharacters(const std::string& utf8)
{
    int count = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        count += isUnlikely(nextCodePoint(utf8, i));
    }
    return count;
}

std::optional<std::string> fromCharacterSet(const std::string& bytes, const char* characterSet)
{
    if (bytes.empty()) {
        return std::string();
    }
#if defined(_WIN32)
    const UINT codePage = std::strcmp(characterSet, "GB18030") == 0 ? 54936 : 932;
    const int inputLength = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inputLength, nullptr, 0);
    if (wideLength <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inputLength, wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, text.data(), length, nullptr, nullptr);
    return text;
#else
    const iconv_t converter = iconv_open("UTF-8", characterSet);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string input = bytes;
    std::string text(bytes.size() * 4, '\0');
    char* in = input.data();
    char* out = text.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = text.size();
    const bool converted = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) {
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
#endif
}

std::string likeliestText(const std::string& bytes)
{
    std::string best = latin1ToUtf8(bytes);
    int fewest = unlikelyCharacters(best);
    for (const char* characterSet : {"Shift_JIS", "GB18030"}) {
        auto reading = fromCharacterSet(bytes, characterSet);
        if (!reading) {
            continue;
        }
        const int unlikely = unlikelyCharacters(*reading);
        if (unlikely < fewest) {
            best = std::move(*reading);
            fewest = unlikely;
        }
    }
    return best;
}

}
