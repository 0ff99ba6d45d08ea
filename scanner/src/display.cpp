#include "display.h"

#include "keep_loaded.h"
#include "process_exit.h"

#include <opencv2/highgui.hpp>

#if defined(SCANLET_PROBE_X11)
#include <xcb/xcb.h>
#endif

namespace scanlet {

Display::~Display()
{
    if (processIsExiting()) {
        abandon(thread);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        closing = true;
    }
    queueChanged.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
}

bool Display::isAvailable()
{
#if defined(SCANLET_PROBE_X11)
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
#else
    return true;
#endif
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
    call([] { cv::destroyAllWindows(); });
}

void Display::post(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (!thread.joinable()) {
            keepLoaded();
            thread = std::thread([this] { serve(); });
        }
        queue.push_back(std::move(task));
    }
    queueChanged.notify_one();
}

void Display::serve()
{
    std::unique_lock<std::mutex> lock(queueMutex);
    for (;;) {
        queueChanged.wait(lock, [this] { return closing || !queue.empty(); });
        if (queue.empty()) {
            return;
        }
        auto task = std::move(queue.front());
        queue.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

}
