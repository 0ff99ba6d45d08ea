#include "replay_camera.h"

#include "scanner.h"

#include <utility>

namespace scanlet {

bool ReplayCamera::read(cv::Mat& frame)
{
    if (capture.read(frame)) {
        return true;
    }
    if (onEnd) {
        std::exchange(onEnd, nullptr)();
    }
    return false;
}

void setReplaySource(const std::string& source, std::function<void()> onEnd)
{
    processScanner().setFrameSource(
        [source, onEnd] { return std::make_unique<ReplayCamera>(source, onEnd); });
}

}
