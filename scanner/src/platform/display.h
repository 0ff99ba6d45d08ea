#pragma once

#include <opencv2/core.hpp>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace scanlet {

// Runs every window call on one thread that lives from the first call until the
// process ends. Window toolkits such as Qt bind to the first thread that opens
// a window: a second thread's window calls would never return, and the
// toolkit's own exit handlers crash once that thread has ended. Callers hand a
// call over and wait for its result, so they see the same order, timing and
// exceptions as if they had made the call themselves.
class Display {
public:
    Display() = default;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    // Leaves the thread waiting, idle, until the process ends: the scanner is
    // destroyed only then.
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
    // Shared with the thread, which outlives the Display.
    struct Queue {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::function<void()>> calls;
    };

    template <typename F>
    auto call(F&& function) -> std::invoke_result_t<F>
    {
        std::packaged_task<std::invoke_result_t<F>()> task(std::forward<F>(function));
        auto result = task.get_future();
        post([&task] { task(); });
        return result.get();
    }

    void post(std::function<void()> task);
    static void serve(std::shared_ptr<Queue> queue);

    std::shared_ptr<Queue> queue = std::make_shared<Queue>();
    std::thread thread;
};

}
