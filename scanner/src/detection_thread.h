#pragma once

#include "decoder.h"
#include "detector_state.h"
#include "display.h"
#include "frame_source.h"

#include <functional>
#include <future>
#include <memory>

namespace scanlet {

// What one run works with besides its scanner's state.
struct RunParts {
    std::unique_ptr<FrameSource> frames;
    std::function<std::unique_ptr<Decoder>()> makeDecoder;
    Display& display;
    // Called once the window is open, once the frame source is open and once
    // the first frame is shown: the steps in which the window toolkit and the
    // camera backends set themselves up.
    std::function<void(SetUpStep)> librariesSetUp;
    // Kept once the window is open, or the run has ended without one; where
    // starts wait for the whole setup, once the frame source is open too, or
    // the run has ended and shut down.
    std::promise<void> setUpDone;
};

// Body of the scanning thread: one call is one run, from opening the window
// and the frame source through the frame loop to the shutdown that tells the
// host.
void qrCodeDetectionThread(DetectorState& state, RunParts parts);

}
