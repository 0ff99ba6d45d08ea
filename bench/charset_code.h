#pragma once

#include <opencv2/core.hpp>

#include <string>

namespace bench {

// How a code holds text in a character set other than UTF-8.
enum class CharsetMode {
    // ZXing's writer: Kanji mode for Shift_JIS, byte mode with an ECI
    // designator for the others.
    writer,
    // The text's bytes in that set, in byte mode with no designator, as many
    // generators write them.
    bareBytes,
};

// Whether this platform can make such codes: the writer is ZXing-cpp's and the
// converters iconv's, which only the Linux build has.
bool charsetCodesAvailable();

// The modules of the code for utf8Text in characterSet, as iconv names it
// ("Shift_JIS", "CP932", "GB18030", "ISO-8859-1"), one pixel each, dark 0 on
// light 255, with a two-module quiet zone; footage::scaledModules draws them.
cv::Mat charsetModules(const std::string& utf8Text, const std::string& characterSet, CharsetMode mode);

}
