#include "replay/replay_camera.h"

#include "scanner.h"

namespace scanlet {

bool ReplayCamera::read(cv::Mat& frame)
{
    if (capture.read(frame)) {
        if (onEnd) {
            lastFrame = frame.clone();
        }
        return true;
    }
    if (!onEnd || lastFrame.empty()) {
        return false;
    }
    if (!endTold) {
        endTold = true;
        onEnd();
    }
    frame = lastFrame.clone();
    return true;
}

void setReplaySource(const std::string& source, std::function<void()> onEnd)
{
    processScanner().setFrameSource(
        [source, onEnd] { return std::make_unique<ReplayCamera>(source, onEnd); });
}

}
