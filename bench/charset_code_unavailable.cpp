// Platforms without ZXing-cpp and iconv (the Windows build) make no codes in
// other character sets than UTF-8.
#include "charset_code.h"

#include <stdexcept>

namespace bench {

bool charsetCodesAvailable()
{
    return false;
}

cv::Mat charsetModules(const std::string&, const std::string& characterSet, CharsetMode)
{
    throw std::logic_error("no code in " + characterSet + " on this platform");
}

}
