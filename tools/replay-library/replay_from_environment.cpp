// Developer builds only: a library that replays the footage named by
// SCANLET_REPLAY_FOOTAGE instead of opening a camera, so that hosts in any
// language can be tested over known frames. Never installed or shipped.
#include "replay_camera.h"

#include <cstdlib>

namespace {

// Runs when the library is loaded, after the scanner's state: the link puts
// the library's own objects first.
const bool replaying = [] {
    const char* footage = std::getenv("SCANLET_REPLAY_FOOTAGE");
    scanlet::setReplaySource(footage != nullptr ? footage : "");
    return true;
}();

}
