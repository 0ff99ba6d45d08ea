#include "delete_file.h"

#include <iostream>
#include <system_error>

#include <windows.h>

namespace {

// The Windows standard library finds the file, then deletes it; when another
// thread deleted it in between, the deletion fails with one of these.
bool isAlreadyGone(const std::error_code& error)
{
    if (error == std::errc::no_such_file_or_directory) {
        return true;
    }
    return error.category() == std::system_category()
        && (error.value() == ERROR_FILE_NOT_FOUND || error.value() == ERROR_PATH_NOT_FOUND);
}

}

void removeFile(const std::filesystem::path& file)
{
    std::error_code error;
    std::filesystem::remove(file, error);
    if (error && !isAlreadyGone(error)) {
        throw std::filesystem::filesystem_error("cannot remove", file, error);
    }
}

void deleteFile(const std::filesystem::path& file)
{
    if (!std::filesystem::exists(file)) {
        std::wcout << L"File does not exist: " << file << std::endl;
        return;
    }
    try {
        removeFile(file);
        std::wcout << L"File deleted: " << file << std::endl;
    } catch (const std::filesystem::filesystem_error& error) {
        std::wcerr << L"Error deleting file: " << error.what() << std::endl;
    }
}
