#include "run/detector_state.h"

#include "run/known_codes.h"

namespace scanlet {

void DetectorState::beginRun(QRCodeDetectedCallback callback, std::int32_t initialCount,
                             const char* const* knownCodes, std::int32_t knownCodeCount)
{
    std::lock_guard<std::mutex> lock(mutex);
    stopRequested = false;
    codeCount = initialCount;
    codeCallback = callback;
    insertKnownCodes(seenCodes, knownCodes, knownCodeCount);
}

bool DetectorState::acceptCode(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!seenCodes.insert(text).second) {
        return false;
    }
    ++codeCount;
    if (codeCallback != nullptr && !exiting) {
        codeCallback(text.c_str());
    }
    return true;
}

void DetectorState::tellStopped()
{
    // The host may swap or clear the callback from another thread at any time;
    // it is called outside the lock, so that the host may read the count.
    QRCodeDetectionStoppedCallback callback = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        callback = stoppedCallback;
    }
    if (callback != nullptr && !exiting) {
        callback(true);
    }
}

void DetectorState::forgetCodes()
{
    std::lock_guard<std::mutex> lock(mutex);
    seenCodes.clear();
}

std::int32_t DetectorState::count() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return codeCount;
}

bool DetectorState::hasSeen(const std::string& text) const
{
    std::lock_guard<std::mutex> lock(mutex);
    return seenCodes.count(text) != 0;
}

void DetectorState::setStoppedCallback(QRCodeDetectionStoppedCallback callback)
{
    std::lock_guard<std::mutex> lock(mutex);
    stoppedCallback = callback;
}

}
