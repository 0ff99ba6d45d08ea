#include "character_set.h"

#include <windows.h>

#include <map>
#include <vector>

namespace scanlet {
namespace {

// Windows' code pages for the sets that QR codes name or are guessed in. Where
// a set has a subset that older systems and Wine know better, that comes next:
// GBK for GB18030's one- and two-byte characters, UHC for EUC-KR.
std::vector<UINT> codePagesOf(const std::string& characterSet)
{
    static const std::map<std::string, std::vector<UINT>> codePages{
        {"CP437", {437}},        {"CP932", {932}},         {"CP1250", {1250}},       {"CP1251", {1251}},
        {"CP1252", {1252}},      {"CP1256", {1256}},       {"BIG5", {950}},          {"GB18030", {54936, 936}},
        {"EUC-KR", {51949, 949}}, {"ISO-8859-2", {28592}}, {"ISO-8859-3", {28593}},  {"ISO-8859-4", {28594}},
        {"ISO-8859-5", {28595}}, {"ISO-8859-6", {28596}},  {"ISO-8859-7", {28597}},  {"ISO-8859-8", {28598}},
        {"ISO-8859-9", {28599}}, {"ISO-8859-10", {28600}}, {"ISO-8859-11", {28601}}, {"ISO-8859-13", {28603}},
        {"ISO-8859-15", {28605}}, {"ISO-8859-16", {28606}}};
    const auto found = codePages.find(characterSet);
    return found == codePages.end() ? std::vector<UINT>{} : found->second;
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
    return wide;
}

// MultiByteToWideChar has no code page for big-endian UTF-16.
std::optional<std::wstring> wideFromUtf16BigEndian(const std::string& bytes)
{
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::wstring wide;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        wide += static_cast<wchar_t>((static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1]));
    }
    return wide;
}

std::optional<std::wstring> wideFrom(const std::string& bytes, const std::string& characterSet)
{
    if (characterSet == "UTF-16BE") {
        return wideFromUtf16BigEndian(bytes);
    }
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

}
