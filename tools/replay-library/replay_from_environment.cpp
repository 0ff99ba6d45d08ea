// Developer build only: a library that hosts load like the shipped one, but
// whose runs replay the footage named by SCANLET_REPLAY_FOOTAGE instead of
// opening a camera. Lets a host in any language be tested end to end.
#include "replay_camera.h"

#include <cstdlib>

namespace {

struct ReplayFromEnvironment {
    ReplayFromEnvironment()
    {
        if (const char* footage = std::getenv("SCANLET_REPLAY_FOOTAGE")) {
            scanlet::setReplaySource(footage);
        }
    }
};

const ReplayFromEnvironment replayFromEnvironment;

}
