#pragma once

#include "run/detector_state.h"
#include "platform/display.h"
#include "platform/frame_source.h"

#include <scanlet/scanlet.h>

#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace scanlet {

// A camera QR scanner: one run at a time on a thread of its own, what the run
// shares with the host, and the window thread that outlives the runs. The
// exports work on the process's one scanner; tests and tools make their own.
class Scanner {
public:
    using FrameSourceFactory = std::function<std::unique_ptr<FrameSource>()>;

    Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;
    ~Scanner();

    // Starts a run unless one exists, and returns once its setup is done or,
    // with a camera slow to open, after a few seconds.
    void start(QRCodeDetectedCallback codeCallback, std::int32_t initialCount, const char* const* knownCodes,
               std::int32_t knownCodeCount);
    // Ends the run and returns once it has ended completely.
    void stop();
    std::int32_t count() const { return state.count(); }
    void setStoppedCallback(QRCodeDetectionStoppedCallback callback) { state.setStoppedCallback(callback); }
    // Where the next run's frames come from; a camera unless said otherwise.
    void setFrameSource(FrameSourceFactory factory);

    // Ends a run that still exists without telling the host: the process is
    // exiting. The window thread stays, for the window toolkit's own exit.
    void endRunForExit();

private:
    DetectorState state;
    // Serialises starts and stops, so that two stops never join the same
    // thread and a start never slips in between a stop's request and its join.
    // Never held while the library calls the host.
    std::mutex controlMutex;
    FrameSourceFactory makeFrameSource;
    std::thread worker;
    // Ready once the run's thread has done its last step.
    std::future<void> runEnded;
    // The window toolkit binds to the first thread that opens a window, so every
    // window call of every run goes through this one long-lived thread.
    Display display;
};

// The process's one scanner, which the four exports work on, built on first
// use.
Scanner& processScanner();

}
