#pragma once

#include <filesystem>

// Removes the file if it is there and reports the outcome in one console
// line. A failed removal is reported and goes no further; a failed existence
// test reaches the caller as std::filesystem::filesystem_error.
void deleteFile(const std::filesystem::path& file);
