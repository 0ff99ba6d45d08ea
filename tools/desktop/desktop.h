#pragma once

#include <string>

// The X desktop as tests and tools see it, through xdotool and ImageMagick.
namespace desktop {

// Runs a shell command and returns what it wrote to standard output.
std::string shell(const std::string& command);

// The id of the first visible window with exactly this title, or empty.
std::string findWindow(const std::string& title);

// Saves a picture of the window as a PNG; false when that failed.
bool screenshot(const std::string& window, const std::string& path);

}
