#include "host_recorder.h"
#include "replay_test.h"

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

}
