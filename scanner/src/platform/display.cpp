#include "platform/display.h"

#include "platform/lifetime.h"
#include "platform/window_platform.h"

#include <opencv2/highgui.hpp>

namespace scanlet {

Display::~Display()
{
    if (thread.joinable()) {
        letGo(thread);
    }
}

bool Display::isAvailable()
{
    return isPlatformReachable();
}

void Display::namedWindow(const std::string& name, int flags)
{
    call([&] { cv::namedWindow(name, flags); });
}

void Display::resizeWindow(const std::string& name, int width, int height)
{
    call([&] { cv::resizeWindow(name, width, height); });
}

void Display::imshow(const std::string& name, const cv::Mat& image)
{
    call([&] { cv::imshow(name, image); });
}

int Display::waitKey(int delayMs)
{
    return call([&] { return cv::waitKey(delayMs); });
}

double Display::getWindowProperty(const std::string& name, int property)
{
    return call([&] { return cv::getWindowProperty(name, property); });
}

void Display::destroyAllWindows()
{
    // The toolkit reads the events of its windows only inside waitKey, and a
    // run without frames never calls it: this thread would keep every run's
    // window events queued for good (about 23 KiB a run under Wine on X). The
    // events of the destruction are read here, or by the next run at the latest.
    call([] {
        cv::destroyAllWindows();
        cv::waitKey(1);
    });
}

void Display::post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(queue->mutex);
        if (!thread.joinable()) {
            keepLoaded();
            thread = std::thread(serve, queue);
        }
        queue->calls.push_back(std::move(task));
    }
    queue->changed.notify_one();
}

void Display::serve(std::shared_ptr<Queue> queue)
{
    std::unique_lock<std::mutex> lock(queue->mutex);
    for (;;) {
        queue->changed.wait(lock, [&] { return !queue->calls.empty(); });
        auto task = std::move(queue->calls.front());
        queue->calls.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

}
