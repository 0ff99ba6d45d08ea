// Feeds a video file through the library's own scanning run, in the real
// window, as if a camera delivered it. Prints each code the host callback
// receives and the final count, and saves a screenshot of the window once the
// footage has been played.
#include "desktop.h"
#include "replay/replay_camera.h"

#include <scanlet/scanlet.h>

#include <condition_variable>
#include <deque>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex eventsMutex;
std::condition_variable eventsChanged;
std::deque<std::string> newCodes;
bool footageEnded = false;
bool runEnded = false;

void notify(const std::function<void()>& change)
{
    {
        std::lock_guard<std::mutex> lock(eventsMutex);
        change();
    }
    eventsChanged.notify_all();
}

bool saveScreenshot(const std::string& path)
{
    const std::string window = desktop::findWindow("QR Code Reader");
    return !window.empty() && desktop::screenshot(window, path);
}

int usage(const char* program)
{
    std::cerr << "usage: " << program << " VIDEO [--known CODE]... [--known-file FILE] [--screenshot PNG]\n";
    return 2;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        return usage(argv[0]);
    }
    const std::string video = argv[1];
    std::vector<std::string> known;
    std::string screenshot;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            return usage(argv[0]);
        }
        const std::string value = argv[++i];
        if (option == "--known") {
            known.push_back(value);
        } else if (option == "--known-file") {
            std::ifstream file(value);
            for (std::string line; std::getline(file, line);) {
                known.push_back(line);
            }
        } else if (option == "--screenshot") {
            screenshot = value;
        } else {
            return usage(argv[0]);
        }
    }

    scanlet::setReplaySource(video, [] { notify([] { footageEnded = true; }); });
    std::vector<const char*> knownCodes;
    for (const auto& code : known) {
        knownCodes.push_back(code.c_str());
    }
    setQRCodeDetectionStoppedCallback([](bool) { notify([] { runEnded = true; }); });
    startQRCodeDetector([](const char* code) { notify([&] { newCodes.emplace_back(code); }); }, 0,
                        knownCodes.data(), static_cast<int32_t>(knownCodes.size()));

    bool played = false;
    {
        std::unique_lock<std::mutex> lock(eventsMutex);
        for (;;) {
            eventsChanged.wait(lock, [] { return !newCodes.empty() || footageEnded || runEnded; });
            while (!newCodes.empty()) {
                std::cout << "Code: " << newCodes.front() << std::endl;
                newCodes.pop_front();
            }
            if (footageEnded || runEnded) {
                played = footageEnded;
                break;
            }
        }
    }

    // The window still shows the last frame: the replay holds it once played.
    if (played && !screenshot.empty()) {
        if (saveScreenshot(screenshot)) {
            std::cout << "Screenshot: " << screenshot << std::endl;
        } else {
            std::cerr << "Could not take a screenshot of the window." << std::endl;
        }
    }
    stopQRCodeDetector();
    // The last frame, held in view, may still yield a code.
    for (const auto& code : newCodes) {
        std::cout << "Code: " << code << std::endl;
    }
    std::cout << "Count: " << getQRCodeCount() << std::endl;
    return played ? 0 : 1;
}
