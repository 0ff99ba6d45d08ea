#pragma once

#include "replay/clip_backend.h"
#include "platform/frame_source.h"

#include <opencv2/videoio.hpp>

#include <functional>
#include <string>

namespace scanlet {

// Developer builds only: plays a video file or an image sequence
// (printf-style pattern) instead of a camera. A file runs out of frames where
// a camera goes on: without onEnd the reads then fail as a broken camera's
// would; with it, onEnd hears that the footage has been played and the last
// frame stays in view, as a camera's picture would.
class ReplayCamera final : public FrameSource {
public:
    ReplayCamera(std::string source, std::function<void()> onEnd)
        : source(std::move(source)), onEnd(std::move(onEnd))
    {
    }
    bool open() override { return !source.empty() && capture.open(source, clipBackend(source)); }
    bool read(cv::Mat& frame) override;
    bool isOpened() const override { return capture.isOpened(); }
    void release() override { capture.release(); }

private:
    std::string source;
    std::function<void()> onEnd;
    cv::VideoCapture capture;
    cv::Mat lastFrame;
    bool endTold = false;
};

// Makes the runs that the exports start replay source; an empty source finds
// no camera at all. Each run that plays it to its end calls onEnd once.
void setReplaySource(const std::string& source, std::function<void()> onEnd = {});

}
