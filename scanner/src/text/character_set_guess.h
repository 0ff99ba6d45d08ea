#pragma once

#include <string>

namespace scanlet {

// The character set that bytes with no set named most likely are in, by the
// guess ZXing has made for years: "UTF-8" for valid UTF-8 that has a byte
// order mark or a character beyond ASCII; "CP932" (Shift_JIS) for valid
// Shift_JIS that shows runs of double-byte characters or of half-width
// katakana; "ISO-8859-1" for valid Latin-1 without such runs; then whichever
// of those the bytes are valid in at all, ISO-8859-1 first. Empty when they are
// valid in none.
std::string guessedCharacterSet(const std::string& bytes);

}
