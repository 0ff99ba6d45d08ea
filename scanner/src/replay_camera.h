#pragma once

#include "clip_backend.h"
#include "frame_source.h"

#include <opencv2/videoio.hpp>

#include <string>

namespace scanlet {

// Developer builds only: plays a video file or an image sequence
// (printf-style pattern) instead of a camera.
class ReplayCamera final : public FrameSource {
public:
    explicit ReplayCamera(std::string source) : source(std::move(source)) {}
    bool open() override { return !source.empty() && capture.open(source, clipBackend(source)); }
    bool read(cv::Mat& frame) override { return capture.read(frame); }
    bool isOpened() const override { return capture.isOpened(); }
    void release() override { capture.release(); }

private:
    std::string source;
    cv::VideoCapture capture;
};

// Makes the runs that the exports start replay source; an empty source finds
// no camera at all.
void setReplaySource(const std::string& source);

}
