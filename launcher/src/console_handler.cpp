#include "console_handler.h"

#include <exception>
#include <filesystem>
#include <iostream>

#include "delete_file.h"
#include "qr_image_paths.h"

namespace {

// Nothing above this thread would catch an error, and an uncaught one would
// end the launcher while its children run on, so it ends here as a failed
// deletion and the other copy is still tried.
void deleteFileOnEvent(const std::filesystem::path& file)
{
    try {
        deleteFile(file);
    } catch (const std::exception& error) {
        std::wcerr << L"Error deleting file: " << error.what() << std::endl;
    }
}

}

BOOL WINAPI consoleHandler(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    const std::filesystem::path desktopQrImage = desktopQrImagePath();
    const std::filesystem::path tempQrImage = tempQrImagePath();
    deleteFileOnEvent(tempQrImage);
    deleteFileOnEvent(desktopQrImage);
    std::wcout << L"File cleanup completed" << std::endl;
    return TRUE;
}
