#pragma once

#include <filesystem>

// The profile folder's "Desktop" folder, deliberately not the shell's Desktop
// folder, so a Desktop the user moved elsewhere is left alone. Empty when the
// profile folder cannot be found.
std::filesystem::path getDesktopPath();

// The system's temp folder, ending in a separator. Empty when the system
// cannot tell it.
std::filesystem::path getTempFolder();

std::filesystem::path desktopQrImagePath();
std::filesystem::path tempQrImagePath();
