#include "replay_camera.h"

#include "detector_state.h"

#include <mutex>

namespace scanlet {

void setReplaySource(const std::string& source)
{
    std::lock_guard<std::mutex> lock(state.stateMutex);
    state.makeFrameSource = [source] { return std::make_unique<ReplayCamera>(source); };
}

}
