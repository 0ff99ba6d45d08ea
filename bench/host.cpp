#include "host.h"

#include <scanlet/scanlet.h>

#include <unistd.h>

#include <fstream>
#include <iostream>

namespace bench {
namespace {

Host* current = nullptr;
const std::string clipEnd = "Error: Failed to read frame from camera.\n";

}

Host::Host()
{
    current = this;
    previousCerr = std::cerr.rdbuf(this);
    setQRCodeDetectionStoppedCallback(onStopped);
}

Host::~Host()
{
    stopQRCodeDetector();
    setQRCodeDetectionStoppedCallback(nullptr);
    std::cerr.rdbuf(previousCerr);
    current = nullptr;
}

void Host::start()
{
    startQRCodeDetector(onCode, 0, nullptr, 0);
}

bool Host::waitForCodes(int count, std::chrono::seconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return codes >= count; });
}

bool Host::waitForClipEnd(std::chrono::seconds timeout)
{
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return errors.find(clipEnd) != std::string::npos; });
}

int Host::stoppedCalls()
{
    std::lock_guard<std::mutex> lock(mutex);
    return stopped;
}

void Host::reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    codes = 0;
    stopped = 0;
    errors.clear();
}

void Host::onCode(const char*)
{
    {
        std::lock_guard<std::mutex> lock(current->mutex);
        ++current->codes;
    }
    current->changed.notify_all();
}

void Host::onStopped(bool)
{
    {
        std::lock_guard<std::mutex> lock(current->mutex);
        ++current->stopped;
    }
    current->changed.notify_all();
}

Host::int_type Host::overflow(int_type ch)
{
    if (ch != traits_type::eof()) {
        const char c = traits_type::to_char_type(ch);
        xsputn(&c, 1);
    }
    return ch;
}

std::streamsize Host::xsputn(const char* text, std::streamsize size)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        errors.append(text, static_cast<std::size_t>(size));
    }
    changed.notify_all();
    return size;
}

std::int64_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::int64_t size = 0;
    std::int64_t resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}
