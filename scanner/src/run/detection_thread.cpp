#include "run/detection_thread.h"

#include "run/detect_in_region.h"
#include "run/error_message.h"
#include "platform/lifetime.h"
#include "run/scan_region.h"
#include "run/overlays.h"
#include "decoding/prime_decoder.h"
#include "run/report_errors.h"

#include <opencv2/highgui.hpp>

#include <chrono>
#include <iostream>
#include <stdexcept>

namespace scanlet {
namespace {

const std::string windowName = "QR Code Reader";
constexpr int escKey = 27;
constexpr auto badReadPause = std::chrono::seconds(1);
// A camera that gives no frame for this long is taken for unplugged, asleep or
// taken by another program, and is opened again.
constexpr auto lostAfter = std::chrono::seconds(2);
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
    endRunBeforeLibrariesExit(SetUpStep::window, run.endRunAtExit);
    if (!startAwaitsSetUp) {
        reportSetUpDone(run);
    }
    run.display.resizeWindow(windowName, fullHd.width / 2, fullHd.height / 2);
}

// Before the frame source, so that what the decoding libraries build on their
// first read is in place before the exit handler of the next step.
std::unique_ptr<Decoder> makePrimedDecoder(Run& run)
{
    auto decoder = run.makeDecoder();
    primeDecoder(*decoder);
    return decoder;
}

void openFrames(Run& run)
{
    if (!run.frames->open()) {
        std::cerr << "Error: No available camera could be opened." << std::endl;
        throw std::runtime_error("Error: Camera could not be opened.");
    }
    endRunBeforeLibrariesExit(SetUpStep::frameSource, run.endRunAtExit);
    reportSetUpDone(run);
}

// Reads the window's events for one key wait. False when the user has ended
// the run with Esc or by closing the window. A window whose events go unread
// stops answering its user: every pass of the loop and every pause reads them.
bool answerWindow(Run& run)
{
    const bool esc = (run.display.waitKey(keyWaitMs) & 0xFF) == escKey;
    const bool goOn = !esc && run.display.getWindowProperty(windowName, cv::WND_PROP_VISIBLE) >= 1;
    // The toolkit finishes setting itself up on the first events it reads.
    if (!run.windowAnswered) {
        run.windowAnswered = true;
        endRunBeforeLibrariesExit(SetUpStep::firstEvents, run.endRunAtExit);
    }
    return goOn;
}

// The pause after a failure, made of key waits: the window keeps its last
// picture and answers, and a stop is heard within one of them. False when the
// run is to end.
bool pauseAfterFailure(Run& run)
{
    const auto until = std::chrono::steady_clock::now() + badReadPause;
    do {
        if (!answerWindow(run) || run.state.stopRequested) {
            return false;
        }
    } while (std::chrono::steady_clock::now() < until);
    return true;
}

// False when the user has ended the run with Esc or by closing the window.
bool showFrame(Run& run, const cv::Mat& frame)
{
    try {
        run.display.imshow(windowName, frame);
    } catch (const cv::Exception& error) {
        std::cerr << "OpenCV error in imshow: " << errorMessage(error) << std::endl;
    }
    const bool goOn = answerWindow(run);
    if (!run.frameShown) {
        run.frameShown = true;
        endRunBeforeLibrariesExit(SetUpStep::firstFrame, run.endRunAtExit);
    }
    return goOn;
}

// Since when the camera has given no frame: reads that failed and frames that
// came empty, in a row.
class Outage {
public:
    void note()
    {
        if (!ongoing) {
            ongoing = true;
            since = std::chrono::steady_clock::now();
        }
    }
    void end() { ongoing = false; }
    bool cameraLost() const { return ongoing && std::chrono::steady_clock::now() - since >= lostAfter; }

private:
    bool ongoing = false;
    std::chrono::steady_clock::time_point since;
};

// Opens the frame source again, as the setup does; the run's codes and count
// stay as they are.
bool reopenFrames(Run& run)
{
    run.frames->release();
    if (run.frames->open()) {
        return true;
    }
    std::cerr << "Error: No available camera could be opened." << std::endl;
    return false;
}

void scanFrames(Run& run, Decoder& decoder)
{
    DetectorState& state = run.state;
    Outage outage;
    // One frame for the whole run, read into again and again: a new 6 MB
    // image each time costs the system's page faults on Windows, where a
    // block that large is not kept for reuse.
    cv::Mat frame;
    while (state.running && !state.stopRequested) {
        if (outage.cameraLost()) {
            if (!reopenFrames(run)) {
                if (!pauseAfterFailure(run)) {
                    return;
                }
                continue;
            }
            outage.end();
        }

        const bool read = run.frames->read(frame);
        if (!read || frame.empty()) {
            std::cerr << (read ? "Error: Empty frame received." : "Error: Failed to read frame from camera.")
                      << std::endl;
            outage.note();
            // A lost camera is opened again at once, not after another pause.
            if (!outage.cameraLost() && !pauseAfterFailure(run)) {
                return;
            }
            continue;
        }
        outage.end();

        const cv::Rect region = scanRegion(frame.size());
        cv::Mat regionView = frame(region);
        if (detectInRegion(state, decoder, regionView) == Detection::DecoderFailed) {
            // The frame is dropped, but the window still answers.
            if (!answerWindow(run)) {
                return;
            }
            continue;
        }
        regionView.copyTo(frame(region));
        drawOverlays(frame, region, state.count());
        if (!showFrame(run, frame)) {
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
    const auto decoder = makePrimedDecoder(run);
    openFrames(run);
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
    run.ended.set_value();
}

}
