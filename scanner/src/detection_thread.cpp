#include "detection_thread.h"

#include "camera.h"
#include "detect_in_region.h"
#include "detector_state.h"
#include "report_errors.h"

#include <opencv2/highgui.hpp>
#include <opencv2/imgproc.hpp>

#include <chrono>
#include <iostream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace scanlet {
namespace {

const std::string windowName = "QR Code Reader";
constexpr int escKey = 27;
constexpr auto badReadPause = std::chrono::seconds(1);
constexpr int keyWaitMs = 10;
const cv::Scalar regionColour(255, 0, 0);
const cv::Scalar captionColour(0, 255, 0);

void openWindow(bool& displayReached)
{
    // Without a desktop some window toolkits end the whole process on the
    // first window call; a run without a window ends like any setup error.
    if (!Display::isAvailable()) {
        throw std::runtime_error("Error: No display is available to open the window \"" + windowName + "\".");
    }
    displayReached = true;
    state.display.namedWindow(windowName, cv::WINDOW_NORMAL);
    state.display.resizeWindow(windowName, 960, 540);
}

void openCameraOrThrow()
{
    if (!openCamera(state.camera)) {
        std::cerr << "Error: No available camera could be opened." << std::endl;
        throw std::runtime_error("Error: Camera could not be opened.");
    }
    state.camera.set(cv::CAP_PROP_FRAME_WIDTH, 1920.0);
    state.camera.set(cv::CAP_PROP_FRAME_HEIGHT, 1080.0);
}

void drawOverlays(cv::Mat& frame, const cv::Rect& region)
{
    std::stringstream caption;
    caption << "QR Codes Detected: " << state.codeCount;
    cv::putText(frame, caption.str(), cv::Point(20, 40), cv::FONT_HERSHEY_SIMPLEX, 1.0, captionColour, 2, cv::LINE_8,
                false);
    cv::rectangle(frame, region, regionColour, 2, cv::LINE_8, 0);
}

// Returns false when the user has ended the run with Esc or by closing the window.
bool showFrame(const cv::Mat& frame)
{
    try {
        state.display.imshow(windowName, frame);
    } catch (const cv::Exception& error) {
        std::cerr << "OpenCV error in imshow: " << error.what() << std::endl;
        return true;
    }
    if ((state.display.waitKey(keyWaitMs) & 0xFF) == escKey) {
        return false;
    }
    return state.display.getWindowProperty(windowName, cv::WND_PROP_VISIBLE) >= 1;
}

void scanFrames(Decoder& decoder)
{
    while (state.running && !state.stopRequested) {
        cv::Mat frame;
        if (!state.camera.read(frame)) {
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
        if (detectInRegion(decoder, regionView)) {
            continue;
        }
        regionView.copyTo(frame(region));
        drawOverlays(frame, region);
        if (!showFrame(frame)) {
            return;
        }
    }
}

void runScanner(bool& displayReached)
{
    openWindow(displayReached);
    openCameraOrThrow();
    auto decoder = makeDecoder();
    state.running = true;
    scanFrames(*decoder);
}

// The shutdown runs outside the run's handler; an exception escaping it would
// end the host's process, so each step that can throw reports and goes on.
void shutDown(bool displayReached)
{
    state.running = false;
    // The host may swap or clear the callback from another thread at any time.
    QRCodeDetectionStoppedCallback stoppedCallback = nullptr;
    {
        std::lock_guard<std::mutex> lock(state.stateMutex);
        stoppedCallback = state.stoppedCallback;
    }
    if (stoppedCallback != nullptr) {
        reportErrors("the stopped callback", [&] { stoppedCallback(true); });
    }
    state.seenCodes.clear();
    if (displayReached) {
        reportErrors("destroyAllWindows", [] { state.display.destroyAllWindows(); });
    }
    reportErrors("releasing the camera", [] {
        if (state.camera.isOpened()) {
            state.camera.release();
        }
    });
}

}

void qrCodeDetectionThread()
{
    bool displayReached = false;
    try {
        runScanner(displayReached);
    } catch (const std::exception& error) {
        std::cerr << "Unhandled exception in qrCodeDetectionThread: " << error.what() << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception in qrCodeDetectionThread" << std::endl;
    }
    shutDown(displayReached);
}

}
