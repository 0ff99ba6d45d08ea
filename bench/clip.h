#pragma once

#include <string>

namespace bench {

// Writes a replayable 1920x1080 clip of the given number of frames into folder
// and returns the source to replay: codes in the scan region, each held for a
// while, with empty frames between them.
std::string clip(const std::string& folder, int frames);

}
