#include "text/character_set_guess.h"

#include "text/utf8.h"

#include <algorithm>

namespace scanlet {
namespace {

// What the bytes show when read as Shift_JIS: whether they are valid in it at
// all, and the longest runs of its two kinds of characters beyond ASCII.
struct ShiftJisEvidence {
    bool valid = true;
    int katakana = 0;
    int longestKatakanaRun = 0;
    int longestDoubleByteRun = 0;
};

bool opensDoubleByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}

bool endsDoubleByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

bool isHalfWidthKatakana(unsigned char byte)
{
    return byte >= 0xA1 && byte <= 0xDF;
}

ShiftJisEvidence readAsShiftJis(const std::string& bytes)
{
    ShiftJisEvidence evidence;
    int katakanaRun = 0;
    int doubleByteRun = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80) {
            katakanaRun = doubleByteRun = 0;
        } else if (isHalfWidthKatakana(byte)) {
            ++evidence.katakana;
            doubleByteRun = 0;
            evidence.longestKatakanaRun = std::max(evidence.longestKatakanaRun, ++katakanaRun);
        } else if (opensDoubleByte(byte) && i + 1 < bytes.size() &&
                   endsDoubleByte(static_cast<unsigned char>(bytes[i + 1]))) {
            ++i;
            katakanaRun = 0;
            evidence.longestDoubleByteRun = std::max(evidence.longestDoubleByteRun, ++doubleByteRun);
        } else {
            evidence.valid = false;
            return evidence;
        }
    }
    return evidence;
}

// Latin-1 has no printable characters from 0x80 to 0x9F.
bool canBeLatin1(const std::string& bytes)
{
    return std::none_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x80 && byte <= 0x9F;
    });
}

// Latin-1 signs rather than letters: what Shift_JIS bytes look like when read
// as Latin-1, and rare in Latin-1 text.
int latin1Signs(const std::string& bytes)
{
    return static_cast<int>(std::count_if(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte >= 0xA0 && byte <= 0xBF) || byte == 0xD7 || byte == 0xF7;
    }));
}

bool startsWithByteOrderMark(const std::string& bytes)
{
    return bytes.rfind("\xEF\xBB\xBF", 0) == 0;
}

}

std::string guessedCharacterSet(const std::string& bytes)
{
    const bool utf8 = isUtf8(bytes);
    const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    if (utf8 && (beyondAscii || startsWithByteOrderMark(bytes))) {
        return "UTF-8";
    }
    const ShiftJisEvidence shiftJis = readAsShiftJis(bytes);
    if (shiftJis.valid && (shiftJis.longestKatakanaRun >= 3 || shiftJis.longestDoubleByteRun >= 3)) {
        return "CP932";
    }
    const bool latin1 = canBeLatin1(bytes);
    if (latin1 && shiftJis.valid) {
        // Short words tell the two apart poorly: a lone pair of katakana, or
        // many Latin-1 signs, speak for Shift_JIS.
        const bool katakanaPair = shiftJis.longestKatakanaRun == 2 && shiftJis.katakana == 2;
        const bool signHeavy = latin1Signs(bytes) * 10 >= static_cast<int>(bytes.size());
        return katakanaPair || signHeavy ? "CP932" : "ISO-8859-1";
    }
    if (latin1) {
        return "ISO-8859-1";
    }
    if (shiftJis.valid) {
        return "CP932";
    }
    return utf8 ? "UTF-8" : "";
}

}
