#include "text/character_set.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <vector>

namespace scanlet {
namespace {

// Windows' code pages for the sets that QR codes name or are guessed in. Where
// a set has a subset that older systems and Wine know better, that comes next:
// GBK for GB18030's one- and two-byte characters.
std::vector<UINT> codePagesOf(const std::string& characterSet)
{
    static const std::map<std::string, std::vector<UINT>> codePages{
        {"CP437", {437}},        {"CP932", {932}},         {"CP1250", {1250}},       {"CP1251", {1251}},
        {"CP1252", {1252}},      {"CP1256", {1256}},       {"BIG5", {950}},          {"GB18030", {54936, 936}},
        {"CP949", {949}},        {"ISO-8859-2", {28592}},  {"ISO-8859-3", {28593}},  {"ISO-8859-4", {28594}},
        {"ISO-8859-5", {28595}}, {"ISO-8859-6", {28596}},  {"ISO-8859-7", {28597}},  {"ISO-8859-8", {28598}},
        {"ISO-8859-9", {28599}}, {"ISO-8859-10", {28600}}, {"ISO-8859-11", {28601}}, {"ISO-8859-13", {28603}},
        {"ISO-8859-15", {28605}}, {"ISO-8859-16", {28606}}};
    const auto found = codePages.find(characterSet);
    return found == codePages.end() ? std::vector<UINT>{} : found->second;
}

// Windows' own code pages give the bytes that Unicode leaves undefined in
// them the C1 control of the same number, where other platforms find no text.
bool hasUndefinedByte(const std::wstring& wide, UINT codePage)
{
    const bool windowsCodePage = codePage >= 1250 && codePage <= 1258;
    return windowsCodePage &&
           std::any_of(wide.begin(), wide.end(), [](wchar_t c) { return c >= 0x80 && c <= 0x9F; });
}

std::optional<std::wstring> wideFromCodePage(const std::string& bytes, UINT codePage)
{
    const int inputLength = static_cast<int>(bytes.size());
    const int wideLength = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inputLength, nullptr, 0);
    if (wideLength <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inputLength, wide.data(), wideLength);
    if (hasUndefinedByte(wide, codePage)) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::wstring> wideFrom(const std::string& bytes, const std::string& characterSet)
{
    for (const UINT codePage : codePagesOf(characterSet)) {
        if (auto wide = wideFromCodePage(bytes, codePage)) {
            return wide;
        }
    }
    return std::nullopt;
}

}

std::optional<std::string> convertToUtf8(const std::string& bytes, const std::string& characterSet)
{
    if (bytes.empty()) {
        return std::string();
    }
    const auto wide = wideFrom(bytes, characterSet);
    if (!wide) {
        return std::nullopt;
    }
    const int wideLength = static_cast<int>(wide->size());
    const int length =
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide->data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide->data(), wideLength, text.data(), length, nullptr, nullptr);
    return text;
}

std::vector<std::optional<std::string>> convertEachToUtf8(const std::vector<std::string>& pieces,
                                                          const std::string& characterSet)
{
    std::vector<std::optional<std::string>> texts;
    texts.reserve(pieces.size());
    for (const std::string& piece : pieces) {
        texts.push_back(convertToUtf8(piece, characterSet));
    }
    return texts;
}

}
