#pragma once

#include "decoding/decoder.h"
#include "run/detector_state.h"
#include "platform/display.h"
#include "platform/frame_source.h"

#include <functional>
#include <future>
#include <memory>

namespace scanlet {

// What one run works with, and how far its setup got.
struct Run {
    DetectorState& state;
    std::unique_ptr<FrameSource> frames;
    std::function<std::unique_ptr<Decoder>()> makeDecoder;
    Display& display;
    // Ends the run, without telling the host, as the process exits.
    void (*endRunAtExit)();
    // Kept once the window is open, or the run has ended without one; where
    // starts wait for the whole setup, once the frame source is open too, or
    // the run has ended and closed its window.
    std::promise<void> setUpDone = {};
    // Kept as the thread's very last step.
    std::promise<void> ended = {};
    bool setUpReported = false;
    bool displayReached = false;
    bool windowAnswered = false;
    bool frameShown = false;
};

// Body of the scanning thread: one call is one run, from opening the window
// and the frame source through the frame loop to the shutdown that tells the
// host.
void qrCodeDetectionThread(Run run);

}
