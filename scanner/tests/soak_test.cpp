#include "footage.h"
#include "host_recorder.h"

#include "replay/replay_camera.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace {

constexpr int cycles = 1000;
const std::string noCameraLine = "Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened.";

std::atomic<int> stoppedCalls{0};
void countStopped(bool) { ++stoppedCalls; }
void alsoCountStopped(bool) { ++stoppedCalls; }

std::size_t entriesIn(const char* folder)
{
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Runs that find a code, runs stopped at once, and runs that end by themselves
// for want of a camera, in turn, while host threads read the count and swap the
// stopped callback throughout. Each run starts from a count above the last
// run's end, so any count a reader sees out of order is one the library lost.
TEST(Soak, AThousandStartStopCyclesEachEndOnceWithTheRightCount)
{
    const footage::ScratchFolder folder("scanlet-soak-test");
    const cv::Size size(640, 360);
    const cv::Mat frame = footage::frameWith({{"soak", footage::centredIn(size, "soak", 4), 4}}, size);
    // Long enough that no run reaches its end, where reads fail and the loop pauses.
    const std::string footage = footage::writeSequence(folder.path().string(), {{frame, 500}});

    HostRecorder host;
    setQRCodeDetectionStoppedCallback(countStopped);
    std::atomic<bool> done{false};
    std::atomic<int> countWentBack{0};
    std::thread reader([&] {
        std::int32_t last = getQRCodeCount();
        while (!done) {
            const std::int32_t count = getQRCodeCount();
            countWentBack += count < last;
            last = count;
        }
    });
    std::thread setter([&] {
        while (!done) {
            setQRCodeDetectionStoppedCallback(alsoCountStopped);
            setQRCodeDetectionStoppedCallback(countStopped);
        }
    });

    std::size_t foundRuns = 0;
    int endedByThemselves = 0;
    std::size_t descriptorsAfterWarmUp = 0;
    std::size_t threadsAfterWarmUp = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE(cycle);
        const std::int32_t initial = 2 * cycle;
        switch (cycle % 3) {
        case 0:
            scanlet::setReplaySource(footage);
            host.start(initial);
            ASSERT_TRUE(host.waitForCodes(++foundRuns));
            stopQRCodeDetector();
            ASSERT_EQ(getQRCodeCount(), initial + 1);
            break;
        case 1:
            host.start(initial, {"soak"});
            stopQRCodeDetector();
            ASSERT_EQ(getQRCodeCount(), initial);
            break;
        default:
            scanlet::setReplaySource("");
            host.start(initial);
            ASSERT_TRUE(host.waitForLine(noCameraLine, ++endedByThemselves));
            stopQRCodeDetector();
            ASSERT_EQ(getQRCodeCount(), initial);
            break;
        }
        ASSERT_EQ(stoppedCalls, cycle + 1);
        if (cycle == 5) {
            descriptorsAfterWarmUp = entriesIn("/proc/self/fd");
            threadsAfterWarmUp = entriesIn("/proc/self/task");
        }
    }
    // Every run releases its camera and its thread.
    EXPECT_EQ(entriesIn("/proc/self/fd"), descriptorsAfterWarmUp);
    EXPECT_EQ(entriesIn("/proc/self/task"), threadsAfterWarmUp);
    done = true;
    reader.join();
    setter.join();
    scanlet::setReplaySource("");
    EXPECT_EQ(countWentBack, 0);
}

}
