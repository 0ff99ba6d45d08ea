#pragma once

#include <opencv2/core.hpp>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace scanlet {

// Runs every window call on one thread that lives from the first call until the
// library is unloaded. Window toolkits such as Qt bind to the first thread that
// opens a window; a second thread's window calls would never return. Callers
// hand a call over and wait for its result, so they see the same order, timing
// and exceptions as if they had made the call themselves.
class Display {
public:
    Display() = default;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    ~Display();

    // Whether a desktop can be reached at all. Some window toolkits end the
    // whole process when they cannot connect, so this is asked first.
    static bool isAvailable();

    void namedWindow(const std::string& name, int flags);
    void resizeWindow(const std::string& name, int width, int height);
    void imshow(const std::string& name, const cv::Mat& image);
    int waitKey(int delayMs);
    double getWindowProperty(const std::string& name, int property);
    void destroyAllWindows();

private:
    template <typename F>
    auto call(F&& function) -> std::invoke_result_t<F>
    {
        std::packaged_task<std::invoke_result_t<F>()> task(std::forward<F>(function));
        auto result = task.get_future();
        post([&task] { task(); });
        return result.get();
    }

    void post(std::function<void()> task);
    void serve();

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<std::function<void()>> queue;
    bool closing = false;
    std::thread thread;
};

}
