// Developer builds only: a library that replays the footage named by
// SCANLET_REPLAY_FOOTAGE instead of opening a camera, so that hosts in any
// language can be tested over known frames; SCANLET_REPLAY_FAULT, when set,
// has the camera fail as a field camera does ("failing-reads:N",
// "empty-frames:N", "unplugged:N" after N good frames). Never installed or
// shipped.
#include "replay/faulty_camera.h"
#include "replay/replay_camera.h"

#include <cstdlib>
#include <iostream>

namespace {

// Runs when the library is loaded; the scanner is built on this first use.
const bool replaying = [] {
    const char* footage = std::getenv("SCANLET_REPLAY_FOOTAGE");
    const std::string source = footage != nullptr ? footage : "";
    const char* fault = std::getenv("SCANLET_REPLAY_FAULT");
    if (fault == nullptr || *fault == '\0') {
        scanlet::setReplaySource(source);
    } else if (const auto plan = scanlet::parseFaultPlan(fault)) {
        scanlet::setFaultyReplaySource(source, *plan);
    } else {
        std::cerr << "SCANLET_REPLAY_FAULT: no such fault: " << fault << std::endl;
        scanlet::setReplaySource(source);
    }
    return true;
}();

}
