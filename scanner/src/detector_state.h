#pragma once

#include "display.h"
#include "frame_source.h"

#include <scanlet/scanlet.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace scanlet {

// One scanner: what its runs share with the host. The library has one for the
// whole process, `state`, which the four exports work on; tests and benchmarks
// make their own.
struct DetectorState {
    std::mutex stateMutex;
    // Serialises starts and stops, so that two stops never join the same
    // thread and a start never slips in between a stop's request and its join.
    // Never held while the library calls the host.
    std::mutex controlMutex;
    std::set<std::string> seenCodes;
    std::thread worker;
    // The window library binds to the first thread that opens a window, so every
    // window call of every run goes through this one long-lived thread.
    Display display;
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    // Set once the process has begun to exit: the host's objects may already
    // be gone, so no callback reaches it any more. On Windows it is set as the
    // process ends, when the system has already ended every other thread.
    std::atomic<bool> exiting{false};
    std::int32_t codeCount = 0;
    QRCodeDetectedCallback codeCallback = nullptr;
    QRCodeDetectionStoppedCallback stoppedCallback = nullptr;
    // Where the next run's frames come from; a camera unless a developer
    // build says otherwise.
    std::function<std::unique_ptr<FrameSource>()> makeFrameSource;
    // The set-up steps for which the process's runs have registered an exit
    // handler, one bit each; see below.
    std::atomic<unsigned> stepsWithExitHandler{0};

    DetectorState();
    DetectorState(const DetectorState&) = delete;
    DetectorState& operator=(const DetectorState&) = delete;
    ~DetectorState();

    // Ends a run that still exists without calling the host: the process is
    // exiting. The display thread stays until the state is destroyed, for the
    // window toolkit's own exit handlers.
    void endRunForExit();
};

// The process's one scanner.
extern DetectorState state;

// The steps of a run in which the libraries it uses set themselves up.
enum class SetUpStep : unsigned { window, frameSource, firstFrame };

// Makes the process's exit end its run before the exit handlers that the
// window toolkit and the camera backends have registered so far: the run's
// window and camera calls would crash once those have torn them down. They
// register them as they set themselves up, the first time each step is
// reached in the process; later runs register nothing more. On Windows this also ends the run before the system ends its threads
// wherever they are, perhaps holding a lock that the library's own exit would
// then wait for.
void endRunBeforeLibrariesExit(SetUpStep step);

}
