#pragma once

#include <filesystem>

#include <windows.h>

// Starts the program at the given path as a child that shares this console,
// standard output and standard error, with no standard input. The caller owns
// both handles of the result. Raises std::runtime_error when it cannot start.
PROCESS_INFORMATION startProcess(const std::filesystem::path& executable);
