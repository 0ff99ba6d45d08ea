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
    // Called once the window is open and once the first frame is shown: the
    // steps in which the window toolkit sets itself up.
    std::function<void()> toolkitSetUp;
    // Kept once the window is open, or once the run has ended without one.
    std::promise<void> windowOpen;
};

// Body of the scanning thread: one call is one run, from opening the window
// and the frame source through the frame loop to the shutdown that tells the
// host.
void qrCodeDetectionThread(DetectorState& state, RunParts parts);

}
