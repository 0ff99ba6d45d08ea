#include "character_set.h"

#include <iconv.h>

#include <memory>

namespace scanlet {

std::optional<std::string> convertToUtf8(const std::string& bytes, const std::string& characterSet)
{
    const iconv_t handle = iconv_open("UTF-8", characterSet.c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    const std::unique_ptr<void, int (*)(iconv_t)> converter(handle, iconv_close);
    std::string input = bytes;
    // No byte of these sets becomes more than four bytes of UTF-8.
    std::string text(bytes.size() * 4, '\0');
    char* in = input.data();
    char* out = text.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = text.size();
    if (iconv(converter.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
}

}
