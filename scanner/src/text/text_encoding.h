#pragma once

#include <string>
#include <vector>

namespace scanlet {

// A run of a code's payload bytes, with the character set the code itself
// names for them: through an ECI designator, or by a Kanji ("Shift_JIS") or
// Hanzi ("GB2312") mode segment. Empty when the code names none.
struct Segment {
    std::string bytes;
    std::string characterSet;
};

// The text a host receives, in UTF-8, for a payload of one or more segments.
// Named sets are read as named. The bytes of unnamed segments are read
// together: UTF-8 (with or without a byte order mark) keeps its bytes, other
// text is read in the set its bytes show (guessedCharacterSet). Bytes that are
// no text in any of them get one character per byte, from which the host can
// recover them. In the set the code names or the guess chooses, each sequence
// that is no character of it becomes U+FFFD, cut by the set's byte ranges.
// Shift_JIS is read as Windows reads it, code page 932, and EUC-KR as its
// Unified Hangul Code, on every platform, so a code gives the same text
// wherever it is read.
std::string textOf(const std::vector<Segment>& payload);

// The name of the character set an ECI designator assigns; "binary" for
// bytes that are no text, empty for a designator the library does not know.
std::string characterSetOfEci(int eci);

// Each byte as the character of the same number: ISO-8859-1, the character
// set a QR code's bytes have when the code names none. Every byte string has
// this reading, and the bytes can be recovered from it.
std::string latin1ToUtf8(const std::string& bytes);

}
