#pragma once

#include "clip_backend.h"
#include "frame_source.h"

#include <opencv2/videoio.hpp>

#include <functional>
#include <string>

namespace scanlet {

// Developer builds only: plays a video file or an image sequence
// (printf-style pattern) instead of a camera. A file has no more frames where a
// camera would fail to deliver one: the reads fail as a camera's would, and
// the first of them tells onEnd that the footage has been played.
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
};

// Makes the runs that the exports start replay source; an empty source finds
// no camera at all. Each run that plays it to its end calls onEnd once.
void setReplaySource(const std::string& source, std::function<void()> onEnd = {});

}
