#include "detector_state.h"

#include "process_exit.h"

namespace scanlet {

DetectorState state;

DetectorState::~DetectorState()
{
    if (!worker.joinable()) {
        return;
    }
    if (processIsExiting()) {
        abandon(worker);
        return;
    }
    stopRequested = true;
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
