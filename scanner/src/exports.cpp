#include "detection_thread.h"
#include "detector_state.h"
#include "keep_loaded.h"
#include "known_codes.h"
#include "report_errors.h"

#include <scanlet/scanlet.h>

#include <future>
#include <iostream>
#include <mutex>

namespace scanlet {
namespace {

void start(DetectorState& state, QRCodeDetectedCallback codeCallback, int32_t initialCount,
           const char* const* knownCodes, int32_t knownCodeCount)
{
    // A start while another thread starts or stops is refused, never waits:
    // a stop may be waiting for a run that only the user can end.
    std::unique_lock<std::mutex> control(state.controlMutex, std::try_to_lock);
    std::future<void> setUpDone;
    {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        if (state.running || !control.owns_lock()) {
            std::cerr << "QR code detection is already running." << std::endl;
            return;
        }
        // Replacing a thread that was never joined would end the host's process.
        if (state.worker.joinable()) {
            std::cerr << "QR code detection has not been stopped: call stopQRCodeDetector before starting again."
                      << std::endl;
            return;
        }
        state.stopRequested = false;
        state.codeCount = initialCount;
        state.codeCallback = codeCallback;
        insertKnownCodes(state.seenCodes, knownCodes, knownCodeCount);
        RunParts parts{state.makeFrameSource(), [] { return makeDecoder(configuredDecoder()); }, state.display,
                       endRunBeforeLibrariesExit, {}};
        setUpDone = parts.setUpDone.get_future();
        // Unloaded under a running thread, the library's code would be gone.
        keepLoaded();
        state.worker = std::thread(qrCodeDetectionThread, std::ref(state), std::move(parts));
    }
    // The window toolkit sets itself up with the first window, the camera
    // backends as the camera opens. A host that exits while they do so would
    // crash in their exit handlers, so the start returns once they are done
    // (or the run has ended).
    setUpDone.wait();
}

void stop(DetectorState& state)
{
    // Taken before the request: a start cannot come between the request and
    // the join, and a second stop waits here until the first has joined.
    std::lock_guard<std::mutex> control(state.controlMutex);
    {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        state.stopRequested = true;
    }
    if (state.worker.joinable()) {
        state.worker.join();
    }
}

}
}

using scanlet::state;

// A C host cannot catch a C++ exception: each export reports it and returns.
extern "C" {

SCANLET_API void startQRCodeDetector(QRCodeDetectedCallback codeCallback, int32_t initialCount,
                                     const char* const* knownCodes, int32_t knownCodeCount)
{
    scanlet::reportErrors("startQRCodeDetector",
                          [&] { scanlet::start(state, codeCallback, initialCount, knownCodes, knownCodeCount); });
}

SCANLET_API void stopQRCodeDetector(void)
{
    scanlet::reportErrors("stopQRCodeDetector", [] { scanlet::stop(state); });
}

SCANLET_API int32_t getQRCodeCount(void)
{
    int32_t count = 0;
    scanlet::reportErrors("getQRCodeCount", [&] {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        count = state.codeCount;
    });
    return count;
}

SCANLET_API void setQRCodeDetectionStoppedCallback(QRCodeDetectionStoppedCallback callback)
{
    scanlet::reportErrors("setQRCodeDetectionStoppedCallback", [&] {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        state.stoppedCallback = callback;
    });
}
}
