#pragma once

#include <scanlet/scanlet.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <iostream>
#include <mutex>
#include <set>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

// Plays the host: records what the library's callbacks deliver, on which
// threads, and what the library writes to std::cerr.
class HostRecorder : private std::streambuf {
public:
    HostRecorder()
    {
        current = this;
        previousCerr = std::cerr.rdbuf(this);
        setQRCodeDetectionStoppedCallback(onStopped);
    }
    ~HostRecorder() override
    {
        stopQRCodeDetector();
        setQRCodeDetectionStoppedCallback(nullptr);
        std::cerr.rdbuf(previousCerr);
        current = nullptr;
    }

    void start(std::int32_t initialCount, std::vector<const char*> known = {})
    {
        startQRCodeDetector(onCode, initialCount, known.data(), static_cast<std::int32_t>(known.size()));
    }
    // For hosts that pass a known-code array and count that do not match.
    void start(std::int32_t initialCount, const char* const* known, std::int32_t knownCount)
    {
        startQRCodeDetector(onCode, initialCount, known, knownCount);
    }

    // Waits until condition holds; false after the timeout.
    bool waitFor(const std::function<bool()>& condition, std::chrono::seconds timeout = std::chrono::seconds(30))
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, condition);
    }

    bool waitForCodes(std::size_t count)
    {
        return waitFor([&] { return codes.size() >= count; });
    }
    bool waitForStopped(int count = 1)
    {
        return waitFor([&] { return stoppedCalls >= count; });
    }
    bool waitForLine(const std::string& line, int times = 1,
                     std::chrono::seconds timeout = std::chrono::seconds(30))
    {
        return waitFor([&] { return countLines(line) >= times; }, timeout);
    }

    // Forgets what earlier runs delivered.
    void reset()
    {
        std::lock_guard<std::mutex> guard(mutex);
        codes.clear();
        codeThreads.clear();
        stoppedCalls = 0;
        stoppedArgument = false;
        errors.clear();
    }

    // Everything below is read under lock() once the run has been stopped, or
    // through waitFor's condition while it runs.
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex); }
    int countLines(const std::string& line) const
    {
        int found = 0;
        for (std::size_t at = errors.find(line + "\n"); at != std::string::npos;
             at = errors.find(line + "\n", at + 1)) {
            found += at == 0 || errors[at - 1] == '\n';
        }
        return found;
    }

    std::vector<std::string> codes;
    std::set<std::thread::id> codeThreads;
    int stoppedCalls = 0;
    bool stoppedArgument = false;
    std::string errors;
    std::function<void(const char*)> onCodeHook;

private:
    static void onCode(const char* code)
    {
        if (current->onCodeHook) {
            current->onCodeHook(code);
        }
        {
            std::lock_guard<std::mutex> guard(current->mutex);
            current->codes.emplace_back(code);
            current->codeThreads.insert(std::this_thread::get_id());
        }
        current->changed.notify_all();
    }
    static void onStopped(bool stopped)
    {
        {
            std::lock_guard<std::mutex> guard(current->mutex);
            ++current->stoppedCalls;
            current->stoppedArgument = stopped;
        }
        current->changed.notify_all();
    }

    int_type overflow(int_type ch) override
    {
        if (ch != traits_type::eof()) {
            char c = traits_type::to_char_type(ch);
            xsputn(&c, 1);
        }
        return ch;
    }
    std::streamsize xsputn(const char* text, std::streamsize size) override
    {
        {
            std::lock_guard<std::mutex> guard(mutex);
            errors.append(text, static_cast<std::size_t>(size));
        }
        changed.notify_all();
        return size;
    }

    static inline HostRecorder* current = nullptr;
    std::streambuf* previousCerr = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
};
