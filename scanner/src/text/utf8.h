#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scanlet {

// U+FFFD, the character that stands for a sequence that is no text.
inline constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(const std::string& bytes);

// The bytes as UTF-8, each broken sequence replaced by one U+FFFD.
std::string utf8WithReplacements(const std::string& bytes);

void appendCodePoint(std::string& text, std::uint32_t point);

}
