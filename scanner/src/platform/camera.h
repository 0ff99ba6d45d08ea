#pragma once

#include "platform/frame_source.h"

#include <opencv2/videoio.hpp>

namespace scanlet {

// The first camera that opens at index 0, 1 or 2, asked for full HD frames in MJPG.
class Camera final : public FrameSource {
public:
    bool open() override;
    bool read(cv::Mat& frame) override { return capture.read(frame); }
    bool isOpened() const override { return capture.isOpened(); }
    void release() override { capture.release(); }

private:
    cv::VideoCapture capture;
};

// The capture back end a camera index is opened with, the platform's own.
extern const int cameraApi;

}
