#include "host_recorder.h"
#include "replay_test.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using replay::centred;
using replay::failedRead;
using replay::noCamera;

// Hosts that break the calling protocol: none of it may end the host's process,
// and every later run must behave as if the break had never happened.
class Protocol : public replay::Test {};

TEST_F(Protocol, StopWithoutARunAndRepeatedStopsChangeNothing)
{
    HostRecorder host;
    const std::int32_t before = getQRCodeCount();
    stopQRCodeDetector();
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), before);

    host.start(4);
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    stopQRCodeDetector();
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 4);

    // A start after all that is an ordinary run.
    host.start(6);
    ASSERT_TRUE(host.waitForStopped(2));
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 2);
    EXPECT_EQ(host.errors, noCamera + noCamera);
}

TEST_F(Protocol, NullCallbacksCountCodesAndEndTheRunSilently)
{
    replay({{centred("alpha"), 4}});
    {
        HostRecorder quiet;
        setQRCodeDetectionStoppedCallback(nullptr);
        startQRCodeDetector(nullptr, 2, nullptr, 0);
        ASSERT_TRUE(quiet.waitForLine(failedRead));
        EXPECT_EQ(getQRCodeCount(), 3);
        stopQRCodeDetector();
        auto lock = quiet.lock();
        EXPECT_TRUE(quiet.codes.empty());
        EXPECT_EQ(quiet.stoppedCalls, 0);
    }
    // Neither the missing callback nor the code it did not report outlives the run.
    HostRecorder host;
    host.start(0);
    ASSERT_TRUE(host.waitForCodes(1));
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.codes, std::vector<std::string>{"alpha"});
    EXPECT_EQ(host.stoppedCalls, 1);
}

TEST_F(Protocol, KnownCodeArraysThatNameNothingLeaveEveryCodeNew)
{
    replay({{centred("alpha"), 4}});
    HostRecorder host;
    const char* alpha[] = {"alpha"};
    const char* nullThenAlpha[] = {nullptr, "alpha"};
    const char* empty[] = {""};
    struct Known {
        const char* const* codes;
        std::int32_t count;
    };
    const std::vector<Known> cases = {
        {nullptr, 5}, {alpha, 0}, {alpha, -1}, {nullThenAlpha, 1}, {empty, 1}, {nullptr, -7}};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        host.start(static_cast<std::int32_t>(10 * i), cases[i].codes, cases[i].count);
        ASSERT_TRUE(host.waitForCodes(i + 1));
        stopQRCodeDetector();
        EXPECT_EQ(getQRCodeCount(), static_cast<std::int32_t>(10 * i + 1));
    }
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, static_cast<int>(cases.size()));
}

TEST_F(Protocol, AHundredThousandKnownCodesAreCopiedAtStartAndLastOnlyThatRun)
{
    replay({{centred("known-0"), 4}, {centred("known-99999"), 4}, {centred("beta"), 4}});
    HostRecorder host;
    {
        std::vector<std::string> texts;
        for (int i = 0; i < 100000; ++i) {
            texts.push_back("known-" + std::to_string(i));
        }
        std::vector<const char*> known;
        for (const auto& text : texts) {
            known.push_back(text.c_str());
        }
        host.start(100, known);
        // The host may reuse its strings as soon as the start returns.
        for (auto& text : texts) {
            text.assign(text.size(), 'x');
        }
    }
    ASSERT_TRUE(host.waitForLine(failedRead));
    EXPECT_EQ(getQRCodeCount(), 101);
    stopQRCodeDetector();

    host.start(0);
    ASSERT_TRUE(host.waitForCodes(4));
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 3);
    auto lock = host.lock();
    EXPECT_EQ(host.codes, (std::vector<std::string>{"beta", "known-0", "known-99999", "beta"}));
}

TEST_F(Protocol, CodesWithANulByteCountAsTheTextBeforeIt)
{
    const std::string first("ab\0cd", 5);
    const std::string second("ab\0ce", 5);
    const std::string nothingBefore("\0cd", 3);
    replay({{centred(first), 4}, {centred(second), 4}, {centred(nothingBefore), 4}, {centred("ab"), 4},
            {centred("after"), 4}});
    HostRecorder host;
    host.start(0);
    ASSERT_TRUE(host.waitForLine(failedRead));
    EXPECT_EQ(getQRCodeCount(), 2);
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.codes, (std::vector<std::string>{"ab", "after"}));
}

TEST_F(Protocol, StopsFromSeveralThreadsAtOnceAllReturnOnceTheRunHasEnded)
{
    replay({{centred("alpha"), 3000}});
    HostRecorder host;
    host.start(0);
    ASSERT_TRUE(host.waitForCodes(1));
    std::vector<std::thread> stoppers;
    for (int i = 0; i < 4; ++i) {
        stoppers.emplace_back(stopQRCodeDetector);
    }
    for (auto& stopper : stoppers) {
        stopper.join();
    }
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 1);
    EXPECT_EQ(host.errors.find("Error in stopQRCodeDetector"), std::string::npos) << host.errors;
}

TEST_F(Protocol, StartsDuringAStopAreRefusedAndCannotCancelIt)
{
    replay({{centred("alpha"), 3000}});
    HostRecorder host;
    host.start(0);
    ASSERT_TRUE(host.waitForCodes(1));

    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        stopQRCodeDetector();
        stopped = true;
    });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!stopped && std::chrono::steady_clock::now() < giveUp) {
        host.start(50, {"alpha"});
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(stopped) << "the stop did not return while starts were refused";
    stopper.join();

    // A start between the stop's return and the flag comes after the stop and
    // begins a run, as any start after a stop does; it is ended here.
    int runs = 1;
    if (getQRCodeCount() == 50) {
        stopQRCodeDetector();
        ++runs;
    } else {
        EXPECT_EQ(getQRCodeCount(), 1);
    }
    host.start(7);
    ASSERT_TRUE(host.waitForCodes(2));
    stopQRCodeDetector();
    EXPECT_EQ(getQRCodeCount(), 8);
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, runs + 1);
}

}
