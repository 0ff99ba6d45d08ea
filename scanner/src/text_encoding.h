#pragma once

#include <optional>
#include <string>

namespace scanlet {

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(const std::string& bytes);

// Each byte as the character of the same number: ISO-8859-1, the character
// set a QR code's bytes have when the code names none. Every byte string has
// this reading, and the bytes can be recovered from it.
std::string latin1ToUtf8(const std::string& bytes);

// The bytes read in a character set that QR codes carry without naming it
// ("Shift_JIS" or "GB18030"), in UTF-8; nothing when they are not text in it.
// Uses the platform's own converters, for decoders that have none.
std::optional<std::string> fromCharacterSet(const std::string& bytes, const char* characterSet);

// A payload that names no character set and is not UTF-8, read in the
// likeliest of ISO-8859-1, Shift_JIS and GB18030; ISO-8859-1 on a tie.
std::string likeliestText(const std::string& bytes);

// How many characters of a UTF-8 text are unlikely in a real text: control
// characters other than tab and line ends, the replacement character, private
// use, half-width katakana and Latin-1 signs. A byte string read in the wrong
// character set is full of them.
int unlikelyCharacters(const std::string& utf8);

}
