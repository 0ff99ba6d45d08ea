#include "scanner.h"

#include "platform/camera.h"
#include "run/detection_thread.h"
#include "platform/lifetime.h"

#include <chrono>
#include <future>
#include <iostream>
#include <system_error>

namespace scanlet {
namespace {

// A camera usually opens within a second or two; one whose driver hangs in
// its open call must not hold the host for ever, in the start or in its exit.
constexpr auto longestSetUpWait = std::chrono::seconds(3);
constexpr auto longestExitWait = std::chrono::seconds(5);

}

Scanner::Scanner() : makeFrameSource([] { return std::make_unique<Camera>(); }) {}

Scanner::~Scanner()
{
    // Once the system has ended the run's thread, wherever it was, nothing may
    // wait for it: its objects are let go and the host is no longer called.
    if (threadsEndedBySystem()) {
        state.exiting = true;
        if (worker.joinable()) {
            letGo(worker);
        }
    } else {
        endRunForExit();
    }
}

void Scanner::start(QRCodeDetectedCallback codeCallback, std::int32_t initialCount, const char* const* knownCodes,
                    std::int32_t knownCodeCount)
{
    // A start while another thread starts or stops is refused, never waits:
    // a stop may be waiting for a run that only the user can end.
    std::unique_lock<std::mutex> control(controlMutex, std::try_to_lock);
    if (state.running || !control.owns_lock()) {
        std::cerr << "QR code detection is already running." << std::endl;
        return;
    }
    // Replacing a thread that was never joined would end the host's process.
    if (worker.joinable()) {
        std::cerr << "QR code detection has not been stopped: call stopQRCodeDetector before starting again."
                  << std::endl;
        return;
    }
    state.beginRun(codeCallback, initialCount, knownCodes, knownCodeCount);
    Run run{state, makeFrameSource(), [] { return makeDecoder(configuredDecoder()); }, display,
            [] { processScanner().endRunForExit(); }};
    std::future<void> setUpDone = run.setUpDone.get_future();
    runEnded = run.ended.get_future();
    // Unloaded under a running thread, the library's code would be gone.
    keepLoaded();
    worker = std::thread(qrCodeDetectionThread, std::move(run));
    // A host that exits while the libraries set themselves up would crash in
    // their exit handlers, so the start returns once they are done (or the run
    // has ended), unless the camera takes longer than a host should wait.
    setUpDone.wait_for(longestSetUpWait);
}

void Scanner::stop()
{
    // Taken before the request: a start cannot come between the request and
    // the join, and a second stop waits here until the first has joined.
    std::lock_guard<std::mutex> control(controlMutex);
    state.stopRequested = true;
    if (worker.joinable()) {
        worker.join();
    }
}

void Scanner::setFrameSource(FrameSourceFactory factory)
{
    std::lock_guard<std::mutex> control(controlMutex);
    makeFrameSource = std::move(factory);
}

void Scanner::endRunForExit()
{
    state.exiting = true;
    state.stopRequested = true;
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
    // A run held in its camera's open call by a hung driver never sees the
    // request; the process ends without it.
    if (runEnded.valid() && runEnded.wait_for(longestExitWait) != std::future_status::ready) {
        letGo(worker);
        return;
    }
    try {
        worker.join();
    } catch (const std::system_error&) {
        worker.detach();
    }
}

}
