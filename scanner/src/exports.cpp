#include "detection_thread.h"
#include "detector_state.h"
#include "keep_loaded.h"
#include "known_codes.h"
#include "report_errors.h"

#include <scanlet/scanlet.h>

#include <iostream>
#include <mutex>

using scanlet::state;

// A C host cannot catch a C++ exception: each export reports it and returns.
extern "C" {

SCANLET_API void startQRCodeDetector(QRCodeDetectedCallback codeCallback, int32_t initialCount,
                                     const char* const* knownCodes, int32_t knownCodeCount)
{
    scanlet::reportErrors("startQRCodeDetector", [&] {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        if (state.running) {
            std::cerr << "QR code detection is already running." << std::endl;
            return;
        }
        // Replacing a thread that was never joined would end the host's process.
        if (state.worker.joinable()) {
            std::cerr << "QR code detection has not been stopped: call stopQRCodeDetector before starting again."
                      << std::endl;
            return;
        }
        // Only now: a refused start must not cancel a stop that another thread is waiting on.
        state.stopRequested = false;
        state.codeCount = initialCount;
        state.codeCallback = codeCallback;
        try {
            scanlet::insertKnownCodes(state.seenCodes, knownCodes, knownCodeCount);
            scanlet::keepLoaded();
            state.worker = std::thread(scanlet::qrCodeDetectionThread);
        } catch (...) {
            // No run will empty them, and the next start must begin with only its own.
            state.seenCodes.clear();
            throw;
        }
    });
}

SCANLET_API void stopQRCodeDetector(void)
{
    scanlet::reportErrors("stopQRCodeDetector", [] {
        {
            std::lock_guard<std::mutex> lock(state.stateMutex);
            state.stopRequested = true;
        }
        if (state.worker.joinable()) {
            state.worker.join();
        }
    });
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
