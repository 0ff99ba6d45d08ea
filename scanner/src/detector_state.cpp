#include "detector_state.h"

#include "camera.h"

namespace scanlet {

DetectorState state;

DetectorState::DetectorState() : makeFrameSource([] { return std::make_unique<Camera>(); }) {}

DetectorState::~DetectorState()
{
    exiting = true;
    stopRequested = true;
    // A host thread still in a stop joins the run itself.
    std::lock_guard<std::mutex> control(controlMutex);
    if (!worker.joinable()) {
        return;
    }
    if (worker.get_id() == std::this_thread::get_id()) {
        worker.detach();
        return;
    }
    try {
        worker.join();
    } catch (const std::system_error&) {
        worker.detach();
    }
}

}
