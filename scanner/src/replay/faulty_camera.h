#pragma once

#include "platform/frame_source.h"

#include <memory>
#include <optional>
#include <string>

namespace scanlet {

// Developer builds only: a camera that fails as cameras do in the field, in
// front of frames that flow as usual until then.
class FaultyCamera final : public FrameSource {
public:
    enum class Fault {
        // Reads fail for good; opening the camera again does not help.
        failingReads,
        // Frames come empty for good.
        emptyFrames,
        // Unplugged: reads fail until the camera is opened again, which fails
        // once and then finds it plugged back in, its frames from the start.
        unplugged,
    };
    struct Plan {
        Fault fault;
        // Frames read as usual before the fault.
        int goodFrames = 0;
    };

    FaultyCamera(std::unique_ptr<FrameSource> frames, Plan plan) : frames(std::move(frames)), plan(plan) {}

    bool open() override;
    bool read(cv::Mat& frame) override;
    bool isOpened() const override { return frames->isOpened(); }
    void release() override { frames->release(); }

private:
    std::unique_ptr<FrameSource> frames;
    Plan plan;
    int framesRead = 0;
    bool unplugged = false;
    bool replugged = false;
    int opensWhileUnplugged = 0;
};

// Makes the runs that the exports start replay source behind a camera with
// this fault.
void setFaultyReplaySource(const std::string& source, FaultyCamera::Plan plan);

// A plan written as "failing-reads:N", "empty-frames:N" or "unplugged:N", N
// the good frames before the fault; nothing for anything else.
std::optional<FaultyCamera::Plan> parseFaultPlan(const std::string& text);

}
