#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <streambuf>
#include <string>

namespace bench {

// Plays a host of the library in the benchmarks that run it for real: counts
// the codes and stopped callbacks it is given and watches the library's error
// lines, where a replayed clip's end shows as a failed read.
class Host : private std::streambuf {
public:
    Host();
    ~Host() override;
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    void start();
    bool waitForCodes(int count, std::chrono::seconds timeout = std::chrono::seconds(30));
    bool waitForClipEnd(std::chrono::seconds timeout);
    int stoppedCalls();
    // Forgets what earlier runs delivered.
    void reset();

private:
    static void onCode(const char* code);
    static void onStopped(bool stopped);
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;

    std::streambuf* previousCerr = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    int codes = 0;
    int stopped = 0;
    std::string errors;
};

// This process's resident set size in bytes.
std::int64_t residentBytes();

}
