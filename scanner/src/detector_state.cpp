#include "detector_state.h"

#include "camera.h"

#include <cstdlib>

namespace scanlet {

DetectorState state;

DetectorState::DetectorState() : makeFrameSource([] { return std::make_unique<Camera>(); }) {}

void DetectorState::endRunForExit()
{
    exiting = true;
    stopRequested = true;
    {
        // A host thread still in a stop joins the run itself.
        std::lock_guard<std::mutex> control(controlMutex);
        if (worker.joinable()) {
            // A host that exits from inside a callback does so on the run's own thread.
            if (worker.get_id() == std::this_thread::get_id()) {
                worker.detach();
            } else {
                try {
                    worker.join();
                } catch (const std::system_error&) {
                    worker.detach();
                }
            }
        }
    }
}

void endRunBeforeToolkitExit()
{
#if !defined(_WIN32)
    // Exit handlers run in the reverse order of their registration, so this one
    // runs before those the toolkit registered so far. A DLL's exit handlers run
    // under the loader lock, where no thread may be joined: not on Windows.
    constexpr int toolkitSetUpSteps = 2;
    if (state.exitHandlers.fetch_add(1) < toolkitSetUpSteps) {
        std::atexit([] { state.endRunForExit(); });
    }
#endif
}

}
