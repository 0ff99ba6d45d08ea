#include "detection_thread.h"

#include "detect_in_region.h"
#include "error_message.h"
#include "lifetime.h"
#include "scan_region.h"
#include "overlays.h"
#include "report_errors.h"

#include <opencv2/highgui.hpp>

#include <chrono>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace scanlet {
namespace {

const std::string windowName = "QR Code Reader";
constexpr int escKey = 27;
constexpr auto badReadPause = std::chrono::seconds(1);
constexpr int keyWaitMs = 10;

void reportSetUpDone(Run& run)
{
    if (!run.setUpReported) {
        run.setUpReported = true;
        run.setUpDone.set_value();
    }
}

void openWindow(Run& run)
{
    // Without a desktop some window toolkits end the whole process on the
    // first window call; a run without a window ends like any setup error.
    if (!Display::isAvailable()) {
        throw std::runtime_error("Error: No display is available to open the window \"" + windowName + "\".");
    }
    run.displayReached = true;
    run.display.namedWindow(windowName, cv::WINDOW_NORMAL);
    endRunBeforeLibrariesExit(SetUpStep::window);
    if (!startAwaitsSetUp) {
        reportSetUpDone(run);
    }
    run.display.resizeWindow(windowName, fullHd.width / 2, fullHd.height / 2);
}

void openFrames(Run& run)
{
    if (!run.frames->open()) {
        std::cerr << "Error: No available camera could be opened." << std::endl;
        throw std::runtime_error("Error: Camera could not be opened.");
    }
    endRunBeforeLibrariesExit(SetUpStep::frameSource);
    reportSetUpDone(run);
}

// Returns false when the user has ended the run with Esc or by closing the window.
bool showFrame(Run& run, const cv::Mat& frame)
{
    try {
        run.display.imshow(windowName, frame);
    } catch (const cv::Exception& error) {
        std::cerr << "OpenCV error in imshow: " << errorMessage(error) << std::endl;
        return true;
    }
    if ((run.display.waitKey(keyWaitMs) & 0xFF) == escKey) {
        return false;
    }
    return run.display.getWindowProperty(windowName, cv::WND_PROP_VISIBLE) >= 1;
}

void scanFrames(Run& run, Decoder& decoder)
{
    DetectorState& state = run.state;
    bool shownAny = false;
    while (state.running && !state.stopRequested) {
        cv::Mat frame;
        if (!run.frames->read(frame)) {
            std::cerr << "Error: Failed to read frame from camera." << std::endl;
            std::this_thread::sleep_for(badReadPause);
            continue;
        }
        if (frame.empty()) {
            std::cerr << "Error: Empty frame received." << std::endl;
            std::this_thread::sleep_for(badReadPause);
            continue;
        }

        const cv::Rect region = scanRegion(frame.size());
        cv::Mat regionView = frame(region);
        if (detectInRegion(state, decoder, regionView) == Detection::DecoderFailed) {
            continue;
        }
        regionView.copyTo(frame(region));
        drawOverlays(frame, region, state.count());
        const bool goOn = showFrame(run, frame);
        if (!shownAny) {
            endRunBeforeLibrariesExit(SetUpStep::firstFrame);
        }
        shownAny = true;
        if (!goOn) {
            return;
        }
    }
}

void runScanner(Run& run)
{
    // A window toolkit set up while the process exits would crash its end.
    if (run.state.exiting) {
        return;
    }
    openWindow(run);
    openFrames(run);
    const auto decoder = run.makeDecoder();
    run.state.running = true;
    scanFrames(run, *decoder);
}

// The shutdown runs outside the run's handler; an exception escaping it would
// end the host's process, so each step that can throw reports and goes on.
void shutDown(Run& run)
{
    DetectorState& state = run.state;
    state.running = false;
    // Once the process exits, the toolkit may already be torn down; the
    // windows end with the process.
    if (run.displayReached && !state.exiting) {
        reportErrors("destroyAllWindows", [&] { run.display.destroyAllWindows(); });
    }
    reportErrors("releasing the camera", [&] {
        if (run.frames->isOpened()) {
            run.frames->release();
        }
    });
    // A start still waiting returns before the host is told: hosts that run
    // callbacks on their own thread would wait for the very thread that waits
    // here in the start.
    reportSetUpDone(run);
    reportErrors("the stopped callback", [&] { state.tellStopped(); });
    state.forgetCodes();
}

}

void qrCodeDetectionThread(Run run)
{
    try {
        runScanner(run);
    } catch (const std::exception& error) {
        std::cerr << "Unhandled exception in qrCodeDetectionThread: " << errorMessage(error) << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception in qrCodeDetectionThread" << std::endl;
    }
    if (!startAwaitsSetUp) {
        reportSetUpDone(run);
    }
    shutDown(run);
}

}
