#include "delete_file.h"

#include <iostream>

void deleteFile(const std::filesystem::path& file)
{
    if (!std::filesystem::exists(file)) {
        std::wcout << L"File does not exist: " << file << std::endl;
        return;
    }
    try {
        // Another thread may have removed the file since the test; that
        // still counts as deleted, so the result is not looked at.
        std::filesystem::remove(file);
        std::wcout << L"File deleted: " << file << std::endl;
    } catch (const std::filesystem::filesystem_error& error) {
        std::wcerr << L"Error deleting file: " << error.what() << std::endl;
    }
}
