#pragma once

#include <filesystem>

// Removes the file if it is there and reports the outcome in one console
// line. A failed removal is reported and goes no further; a failed existence
// test reaches the caller as std::filesystem::filesystem_error.
void deleteFile(const std::filesystem::path& file);

// Removes the file. One that is gone by the time it is removed counts as
// removed: the console handler's thread and the main sequence can remove the
// same file at once. Raises std::filesystem::filesystem_error when the file
// stays.
void removeFile(const std::filesystem::path& file);
