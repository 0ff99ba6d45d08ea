#include "qr_image_paths.h"

#include <string>

#include <windows.h>
#include <shlobj.h>

namespace {

const wchar_t qrImageFileName[] = L"Kestamo-server-qr.png";

}

std::filesystem::path getDesktopPath()
{
    wchar_t profile[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) {
        return {};
    }
    return std::filesystem::path(profile) / L"Desktop";
}

std::filesystem::path getTempFolder()
{
    // The folder comes from TMP or TEMP and may be longer than MAX_PATH, so
    // the buffer is sized from the system's own answer. The environment can
    // change between the two calls; then the answer is asked for again.
    DWORD size = GetTempPathW(0, nullptr);
    while (size != 0) {
        std::wstring folder(size, L'\0');
        const DWORD length = GetTempPathW(size, folder.data());
        if (length == 0) {
            break;
        }
        if (length < size) {
            folder.resize(length);
            return folder;
        }
        size = length;
    }
    return {};
}

std::filesystem::path desktopQrImagePath()
{
    return getDesktopPath() / qrImageFileName;
}

std::filesystem::path tempQrImagePath()
{
    return getTempFolder() / qrImageFileName;
}
