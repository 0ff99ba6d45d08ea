#pragma once

#include <string>

namespace scanlet {

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isUtf8(const std::string& bytes);

// Each byte as the character of the same number: ISO-8859-1, the character
// set a QR code's bytes have when the code names none. Every byte string has
// this reading, and the bytes can be recovered from it.
std::string latin1ToUtf8(const std::string& bytes);

// How many characters of a UTF-8 text are unlikely in a real text: control
// characters other than tab and line ends, the replacement character, private
// use, half-width katakana and Latin-1 signs. A byte string read in the wrong
// character set is full of them.
int unlikelyCharacters(const std::string& utf8);

}
