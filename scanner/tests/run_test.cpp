#include "host_recorder.h"
#include "replay_test.h"

#include "replay/faulty_camera.h"
#include "scanner.h"

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

namespace {

using replay::centred;
using replay::failedRead;

class Run : public replay::Test {};

TEST_F(Run, ReportsEachNewCodeOnceOnTheScanningThreadAndIgnoresCodesOutsideTheRegion)
{
    replay({{centred("alpha"), 8},
            {footage::frameWith({{"outside", {40, 60}}}), 8},
            {centred("alpha"), 4},
            {centred("known"), 6},
            {centred("gamma"), 6}});
    HostRecorder host;
    host.start(3, {"known"});
    ASSERT_TRUE(host.waitForLine(failedRead, 2)) << host.errors;
    EXPECT_EQ(getQRCodeCount(), 5);
    stopQRCodeDetector();

    auto lock = host.lock();
    EXPECT_EQ(host.codes, (std::vector<std::string>{"alpha", "gamma"}));
    ASSERT_EQ(host.codeThreads.size(), 1u);
    EXPECT_NE(*host.codeThreads.begin(), std::this_thread::get_id());
    EXPECT_EQ(host.stoppedCalls, 1);
    EXPECT_TRUE(host.stoppedArgument);
}

TEST_F(Run, StopReturnsOnlyAfterTheStoppedCallbackHasRun)
{
    replay({{centred("alpha"), 400}});
    HostRecorder host;
    host.start(0);
    ASSERT_TRUE(host.waitForCodes(1));
    stopQRCodeDetector();
    {
        auto lock = host.lock();
        EXPECT_EQ(host.stoppedCalls, 1);
    }
    // The stop request is honoured at the next frame: the footage is far from done.
    EXPECT_EQ(host.countLines(failedRead), 0);
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 1);
}

TEST_F(Run, StopRightAfterTheStartEndsTheRunWithItsInitialCount)
{
    replay({{footage::frameWith({}), 400}});
    HostRecorder host;
    host.start(7);
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 7);
    EXPECT_EQ(host.countLines(failedRead), 0);
    auto lock = host.lock();
    EXPECT_TRUE(host.codes.empty());
    EXPECT_EQ(host.stoppedCalls, 1);
}

TEST_F(Run, ConsecutiveRunsEachScanAndStartFromTheirOwnCountAndKnownCodes)
{
    replay({{centred("alpha"), 6}});
    HostRecorder host;

    host.start(0);
    ASSERT_TRUE(host.waitForCodes(1));
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 1);

    host.start(10);
    EXPECT_EQ(getQRCodeCount(), 10);
    ASSERT_TRUE(host.waitForCodes(2));
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 11);

    host.start(20, {"alpha"});
    ASSERT_TRUE(host.waitForLine(failedRead));
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 20);

    auto lock = host.lock();
    EXPECT_EQ(host.codes, (std::vector<std::string>{"alpha", "alpha"}));
    EXPECT_EQ(host.stoppedCalls, 3);
}

TEST_F(Run, WithoutACameraTheRunEndsAndTellsTheHost)
{
    HostRecorder host;
    host.start(2);
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.errors, replay::noCamera);
    EXPECT_TRUE(host.stoppedArgument);
    EXPECT_EQ(getQRCodeCount(), 2);
}

TEST_F(Run, StartIsRefusedWhileARunExistsAndChangesNothing)
{
    HostRecorder host;
    host.start(1);
    ASSERT_TRUE(host.waitForStopped());
    // Ended by itself but not yet stopped: starting again must not replace the thread.
    host.start(50);
    EXPECT_TRUE(host.waitForLine(
        "QR code detection has not been stopped: call stopQRCodeDetector before starting again."));
    EXPECT_EQ(getQRCodeCount(), 1);
    stopQRCodeDetector();

    replay({{centred("alpha"), 400}});
    host.start(2);
    ASSERT_TRUE(host.waitForCodes(1));
    host.start(60, {"x"});
    EXPECT_TRUE(host.waitForLine("QR code detection is already running."));
    EXPECT_EQ(getQRCodeCount(), 3);
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 2);
}

TEST_F(Run, AnExceptionFromTheCodeCallbackEndsTheRunWithTheStateUnlocked)
{
    replay({{centred("alpha"), 400}});
    HostRecorder host;
    host.onCodeHook = [](const char*) { throw std::runtime_error("host could not store the code"); };
    host.start(0);
    ASSERT_TRUE(host.waitForStopped());
    EXPECT_EQ(getQRCodeCount(), 1);
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.countLines("Unhandled exception in qrCodeDetectionThread: host could not store the code"), 1);
}

// A camera whose reads failed for a while is opened again, and the run goes
// on with the codes it has seen and its count.
TEST_F(Run, ACameraUnpluggedAndPluggedInAgainCarriesOnWithTheRunsCodesAndCount)
{
    const std::string source = footage::writeSequence(
        folder.path().string(), {{centred("alpha"), 6}, {footage::frameWith({}), 6}, {centred("beta"), 6}});
    scanlet::setFaultyReplaySource(source, {scanlet::FaultyCamera::Fault::unplugged, 8});
    HostRecorder host;
    host.start(3);
    ASSERT_TRUE(host.waitForCodes(2)) << host.errors;
    EXPECT_EQ(getQRCodeCount(), 5);
    stopQRCodeDetector();

    auto lock = host.lock();
    EXPECT_EQ(host.codes, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_GE(host.countLines(failedRead), 2);
    // Plugged in again on the second try; the first says so.
    EXPECT_EQ(host.countLines("Error: No available camera could be opened."), 1);
    EXPECT_EQ(host.stoppedCalls, 1);
}

// A camera that never gives a frame: its window, never shown a picture, still
// counts as open, and the run goes on trying until the host stops it.
TEST_F(Run, ACameraThatGivesNoFrameKeepsTheRunTryingUntilItIsStopped)
{
    const std::string source = footage::writeSequence(folder.path().string(), {{centred("alpha"), 4}});
    for (const auto fault : {scanlet::FaultyCamera::Fault::failingReads, scanlet::FaultyCamera::Fault::emptyFrames}) {
        scanlet::setFaultyReplaySource(source, {fault, 0});
        HostRecorder host;
        host.start(0);
        const std::string line = fault == scanlet::FaultyCamera::Fault::failingReads ? failedRead
                                                                                     : "Error: Empty frame received.";
        // Past the point where the camera is opened again.
        ASSERT_TRUE(host.waitForLine(line, 4)) << host.errors;
        stopQRCodeDetector();
        auto lock = host.lock();
        EXPECT_EQ(host.stoppedCalls, 1);
        EXPECT_TRUE(host.codes.empty());
        EXPECT_EQ(host.countLines("Error: No available camera could be opened."), 0);
    }
}

// A camera driver that takes its time in its open call.
class SlowToOpen final : public scanlet::FrameSource {
public:
    SlowToOpen(std::unique_ptr<scanlet::FrameSource> frames, std::shared_future<void> driverDone)
        : frames(std::move(frames)), driverDone(std::move(driverDone))
    {
    }
    bool open() override
    {
        driverDone.wait();
        return frames->open();
    }
    bool read(cv::Mat& frame) override { return frames->read(frame); }
    bool isOpened() const override { return frames->isOpened(); }
    void release() override { frames->release(); }

private:
    std::unique_ptr<scanlet::FrameSource> frames;
    std::shared_future<void> driverDone;
};

TEST_F(Run, AStartDoesNotWaitForACameraThatHangsInItsOpenCall)
{
    const std::string source = footage::writeSequence(folder.path().string(), {{centred("alpha"), 400}});
    std::promise<void> driver;
    const std::shared_future<void> driverDone = driver.get_future().share();
    scanlet::processScanner().setFrameSource([&] {
        return std::make_unique<SlowToOpen>(std::make_unique<scanlet::ReplayCamera>(source, nullptr), driverDone);
    });
    HostRecorder host;
    auto started = std::async(std::launch::async, [&] { host.start(0); });
    const bool returned = started.wait_for(std::chrono::minutes(2)) == std::future_status::ready;
    driver.set_value();
    ASSERT_TRUE(returned) << "the start waited for the camera's open call";
    ASSERT_TRUE(host.waitForCodes(1)) << host.errors;
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 1);
}

}
