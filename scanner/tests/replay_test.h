#pragma once

#include "footage.h"

#include "replay/replay_camera.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace replay {

const std::string failedRead = "Error: Failed to read frame from camera.";
const std::string noCamera = "Error: No available camera could be opened.\n"
                             "Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened.\n";

// A 1080p frame with one code in the middle of its central region.
inline cv::Mat centred(const std::string& text)
{
    return footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text)}});
}

// A test whose runs read footage of its own instead of a camera; without a
// call to replay() they find no camera at all.
class Test : public ::testing::Test {
protected:
    void replay(const std::vector<footage::Scene>& scenes)
    {
        scanlet::setReplaySource(footage::writeSequence(folder.path().string(), scenes));
    }
    void SetUp() override { scanlet::setReplaySource(""); }
    void TearDown() override { scanlet::setReplaySource(""); }

    footage::ScratchFolder folder{"scanlet-test"};
};

}
