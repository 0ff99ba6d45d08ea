#pragma once

#include <scanlet/scanlet.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace scanlet {

// What a run shares with its host: the codes seen in the run, the count and
// the host's two callbacks, under one lock that is held while the code callback
// runs, so that the host reads the count either before or after a code; and
// the flags by which the run is told to end.
class DetectorState {
public:
    // Begins a run at initialCount, reporting to codeCallback (which may be
    // null), with the host's known codes as already seen.
    void beginRun(QRCodeDetectedCallback codeCallback, std::int32_t initialCount, const char* const* knownCodes,
                  std::int32_t knownCodeCount);
    // Counts a code new to this run and hands it to the host; false for a code
    // already seen. Once the process is exiting the host is no longer called.
    bool acceptCode(const std::string& text);
    // Tells the host that the run has ended, unless the process is exiting.
    void tellStopped();
    void forgetCodes();

    std::int32_t count() const;
    bool hasSeen(const std::string& text) const;
    void setStoppedCallback(QRCodeDetectionStoppedCallback callback);

    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    // Set once the process has begun to exit: the host's objects may already
    // be gone, so no callback reaches it any more.
    std::atomic<bool> exiting{false};

private:
    mutable std::mutex mutex;
    std::set<std::string> seenCodes;
    std::int32_t codeCount = 0;
    QRCodeDetectedCallback codeCallback = nullptr;
    QRCodeDetectionStoppedCallback stoppedCallback = nullptr;
};

}
