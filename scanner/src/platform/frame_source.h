#pragma once

#include <opencv2/core.hpp>

namespace scanlet {

// The frame size the camera is asked for, and that footage is made in.
const cv::Size fullHd(1920, 1080);

// Where a run's frames come from: a camera in the shipped library, replayed
// footage in developer builds. Opened, read and released by the scanning
// thread only.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    // False when nothing could be opened.
    virtual bool open() = 0;
    // False when no frame could be read; the run retries.
    virtual bool read(cv::Mat& frame) = 0;
    virtual bool isOpened() const = 0;
    virtual void release() = 0;
};

}
