// A minimal scanlet host: starts the scanner, prints each new code with the
// running count, and stops on Enter or when the run ends by itself (Esc, the
// window closed, no camera).
#include <scanlet/scanlet.h>

#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::mutex eventsMutex;
std::condition_variable eventsChanged;
std::deque<std::string> newCodes;
bool runEnded = false;
bool enterPressed = false;

// Runs on the scanner's thread with its lock held: only hand the code over.
void onCode(const char* code)
{
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        newCodes.emplace_back(code);
    }
    eventsChanged.notify_one();
}

void onStopped(bool)
{
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        runEnded = true;
    }
    eventsChanged.notify_one();
}

void waitForEnter()
{
    std::string line;
    // Without a keyboard (input closed) only the run's own end stops the host.
    if (!std::getline(std::cin, line)) {
        return;
    }
    // Notified under the lock: this thread is never joined, and main may
    // return, destroying the condition variable, as soon as it sees the flag.
    std::lock_guard<std::mutex> lock(eventsMutex);
    enterPressed = true;
    eventsChanged.notify_one();
}

}

int main()
{
    std::cout << "Scanning: hold a QR code in the middle of the picture. Press Enter or Esc to stop." << std::endl;
    setQRCodeDetectionStoppedCallback(onStopped);
    startQRCodeDetector(onCode, 0, nullptr, 0);

    // Blocked in getline until Enter; it is not joined so that a run that ends
    // by itself ends the program too.
    std::thread(waitForEnter).detach();

    for (bool ending = false; !ending;) {
        std::deque<std::string> codes;
        {
            std::unique_lock<std::mutex> lock(eventsMutex);
            eventsChanged.wait(lock, [] { return !newCodes.empty() || runEnded || enterPressed; });
            codes.swap(newCodes);
            ending = runEnded || enterPressed;
        }
        // Never call the library while holding a lock that the callbacks take:
        // the library holds its own lock while it calls onCode.
        for (const auto& code : codes) {
            std::cout << "Code: " << code << " (count " << getQRCodeCount() << ")" << std::endl;
        }
    }

    // Also after a run that ended by itself: this joins the scanner's thread.
    stopQRCodeDetector();
    std::cout << "Stopped. Codes counted: " << getQRCodeCount() << std::endl;
    return 0;
}
