#pragma once

#include "display.h"

#include <scanlet/scanlet.h>

#include <opencv2/videoio.hpp>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace scanlet {

// The scanner's whole state: one per process, alive from library load to unload.
struct DetectorState {
    std::mutex stateMutex;
    std::set<std::string> seenCodes;
    std::thread worker;
    cv::VideoCapture camera;
    // The window library binds to the first thread that opens a window, so every
    // window call of every run goes through this one long-lived thread.
    Display display;
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    std::int32_t codeCount = 0;
    QRCodeDetectedCallback codeCallback = nullptr;
    QRCodeDetectionStoppedCallback stoppedCallback = nullptr;

    DetectorState() = default;
    DetectorState(const DetectorState&) = delete;
    DetectorState& operator=(const DetectorState&) = delete;
    // A host may exit or unload while a run still exists: end it rather than let
    // a joinable thread abort the process.
    ~DetectorState();
};

extern DetectorState state;

}
