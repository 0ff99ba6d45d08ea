#include "text/character_set.h"

#include <iconv.h>

#include <memory>

namespace scanlet {
namespace {

using Converter = std::unique_ptr<void, int (*)(iconv_t)>;

Converter openConverter(const std::string& characterSet)
{
    const iconv_t handle = iconv_open("UTF-8", characterSet.c_str());
    return {handle == reinterpret_cast<iconv_t>(-1) ? nullptr : handle, iconv_close};
}

std::optional<std::string> convertWith(iconv_t converter, const std::string& bytes)
{
    // A piece before may have left the converter halfway through a sequence.
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::string input = bytes;
    // No byte of these sets becomes more than four bytes of UTF-8.
    std::string text(bytes.size() * 4, '\0');
    char* in = input.data();
    char* out = text.data();
    std::size_t inLeft = input.size();
    std::size_t outLeft = text.size();
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
}

}

std::optional<std::string> convertToUtf8(const std::string& bytes, const std::string& characterSet)
{
    const Converter converter = openConverter(characterSet);
    if (!converter) {
        return std::nullopt;
    }
    return convertWith(converter.get(), bytes);
}

std::vector<std::optional<std::string>> convertEachToUtf8(const std::vector<std::string>& pieces,
                                                          const std::string& characterSet)
{
    std::vector<std::optional<std::string>> texts(pieces.size());
    const Converter converter = openConverter(characterSet);
    if (!converter) {
        return texts;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        texts[i] = convertWith(converter.get(), pieces[i]);
    }
    return texts;
}

}
