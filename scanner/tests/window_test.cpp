#include "desktop.h"
#include "footage.h"
#include "host_recorder.h"

#include "replay/faulty_camera.h"
#include "replay/replay_camera.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

const std::string title = "QR Code Reader";

// Polls until seen returns true; false only when it never does. The limit
// turns a window that never comes into a failure: on a busy machine a window
// and its first picture can take many seconds.
template <typename Seen>
bool pollUntil(Seen seen)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!seen()) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// The scanner's window once it is mapped, or empty.
std::string findWindow()
{
    std::string id;
    pollUntil([&] {
        id = desktop::findWindow(title);
        return !id.empty();
    });
    return id;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Long enough that frames still flow whenever the test acts.
        scanlet::setReplaySource(windowFootage());
        startAndFindWindow();
    }
    void TearDown() override { scanlet::setReplaySource(""); }

    std::string windowFootage(int frames = 3000)
    {
        const std::string text = "window";
        const cv::Mat frame = footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text)}});
        return footage::writeSequence(folder.path().string(), {{frame, frames}});
    }
    void startAndFindWindow()
    {
        host.start(0);
        ASSERT_TRUE(host.waitForCodes(1));
        window = findWindow();
        ASSERT_FALSE(window.empty());
    }

    footage::ScratchFolder folder{"scanlet-window-test"};
    HostRecorder host;
    std::string window;
};

cv::Rect boundsOf(const cv::Mat& image, const cv::Scalar& low, const cv::Scalar& high)
{
    cv::Mat mask;
    cv::inRange(image, low, high, mask);
    return cv::boundingRect(mask);
}

// Where a picture of the window shows the frame, scaled beside the toolkit's
// own bars: its grey background, followed across the middle row and down a
// column near its left edge, tells where and how large.
cv::Rect shownFrame(const cv::Mat& image)
{
    const cv::Scalar grey = cv::Scalar::all(128);
    const cv::Rect across = boundsOf(image.row(image.rows / 2), grey, grey);
    if (across.empty()) {
        return {};
    }
    const cv::Rect down = boundsOf(image.col(across.x + 5), grey, grey);
    return {across.x, down.y, across.width, down.height};
}

TEST_F(Window, OpensAt960x540AndShowsTheRegionOutlineAndTheCaption)
{
    // The window is mapped before its first frame is painted, and the first
    // code reaches the host before its frame is shown: on a busy machine a
    // picture taken at once is still blank.
    const auto shot = folder.path() / "window.png";
    cv::Mat image;
    cv::Rect shown;
    ASSERT_TRUE(pollUntil([&] {
        image = desktop::screenshot(window, shot.string()) ? cv::imread(shot.string()) : cv::Mat();
        shown = image.empty() ? cv::Rect() : shownFrame(image);
        return shown.width > 400;
    })) << "the window never showed a frame";
    EXPECT_NE(desktop::shell("xdotool getwindowgeometry " + window).find("Geometry: 960x540"), std::string::npos);

    const double scale = shown.width / 1920.0;
    EXPECT_NEAR(shown.height, 1080 * scale, 2);
    const auto at = [&](double x, double y) { return cv::Point2d(shown.x + x * scale, shown.y + y * scale); };

    const cv::Rect blue = boundsOf(image, cv::Scalar(150, 0, 0), cv::Scalar(255, 90, 90));
    EXPECT_NEAR(blue.x, at(480, 270).x, 3);
    EXPECT_NEAR(blue.y, at(480, 270).y, 3);
    EXPECT_NEAR(blue.br().x, at(1440, 810).x, 3);
    EXPECT_NEAR(blue.br().y, at(1440, 810).y, 3);

    // The caption sits on the frame's top left, its baseline at y 40.
    const cv::Mat top = image(cv::Rect(shown.x, shown.y, shown.width / 2, static_cast<int>(100 * scale)));
    const cv::Rect caption = boundsOf(top, cv::Scalar(0, 150, 0), cv::Scalar(90, 255, 90));
    EXPECT_NEAR(caption.x, 20 * scale, 3);
    EXPECT_NEAR(caption.br().y, 40 * scale, 3);
    EXPECT_GT(caption.width, 250 * scale);
}

TEST_F(Window, EscEndsTheRun)
{
    desktop::shell("xdotool windowactivate --sync " + window + " key Escape");
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    EXPECT_TRUE(desktop::findWindow(title).empty());
}

TEST_F(Window, ClosingTheWindowEndsTheRun)
{
    desktop::shell("wmctrl -c '" + title + "'");
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 1);
}

// A camera that stops giving frames after a few: the window keeps its last
// picture and still answers Esc and its close button.
class WindowOfAFailingCamera : public Window {
protected:
    void SetUp() override {}

    void startFailingAfterAFewFrames(scanlet::FaultyCamera::Fault fault, const std::string& line)
    {
        scanlet::setFaultyReplaySource(windowFootage(10), {fault, 10});
        startAndFindWindow();
        ASSERT_TRUE(host.waitForLine(line, 2)) << host.errors;
    }
};

TEST_F(WindowOfAFailingCamera, KeepsItsLastPictureAndEndsTheRunOnEscWhileReadsFail)
{
    startFailingAfterAFewFrames(scanlet::FaultyCamera::Fault::failingReads, "Error: Failed to read frame from camera.");
    const auto shot = folder.path() / "window.png";
    cv::Mat image;
    ASSERT_TRUE(pollUntil([&] {
        image = desktop::screenshot(window, shot.string()) ? cv::imread(shot.string()) : cv::Mat();
        return !image.empty() && shownFrame(image).width > 400;
    })) << "the window lost its picture";
    EXPECT_FALSE(boundsOf(image, cv::Scalar(150, 0, 0), cv::Scalar(255, 90, 90)).empty()) << "no region outline";

    desktop::shell("xdotool windowactivate --sync " + window + " key Escape");
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    EXPECT_TRUE(desktop::findWindow(title).empty());
}

TEST_F(WindowOfAFailingCamera, EndsTheRunWhenClosedWhileFramesComeEmpty)
{
    startFailingAfterAFewFrames(scanlet::FaultyCamera::Fault::emptyFrames, "Error: Empty frame received.");
    desktop::shell("wmctrl -c '" + title + "'");
    ASSERT_TRUE(host.waitForStopped());
    stopQRCodeDetector();
    auto lock = host.lock();
    EXPECT_EQ(host.stoppedCalls, 1);
}

}
