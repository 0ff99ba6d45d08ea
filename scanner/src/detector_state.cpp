#include "detector_state.h"

#include "camera.h"
#include "process_exit.h"

namespace scanlet {

DetectorState state;

DetectorState::DetectorState() : makeFrameSource([] { return std::make_unique<Camera>(); }) {}

DetectorState::~DetectorState()
{
#if defined(_WIN32)
    // Destroyed only as the process ends (DllMain has said so): the system has
    // already ended the run's thread, and nothing may wait for it.
    if (exiting) {
        abandon(worker);
        return;
    }
#endif
    endRunForExit();
}

void DetectorState::endRunForExit()
{
    exiting = true;
    stopRequested = true;
    // A host thread still in a stop joins the run itself.
    std::lock_guard<std::mutex> control(controlMutex);
    if (!worker.joinable()) {
        return;
    }
    // A host that exits from inside a callback does so on the run's own thread.
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

void endRunBeforeLibrariesExit(SetUpStep step)
{
    const unsigned bit = 1u << static_cast<unsigned>(step);
    if ((state.stepsWithExitHandler.fetch_or(bit) & bit) == 0) {
        atProcessExit([] { state.endRunForExit(); });
    }
}

}
