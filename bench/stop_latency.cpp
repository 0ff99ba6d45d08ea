// Stop latency: how long the run takes to end, as a distribution over many
// runs: the host's stopQRCodeDetector call while frames flow and while the
// camera fails (the run pausing between its attempts), and the user's Esc and
// close button while the camera fails (from the key or close request to the
// stopped callback).
#include "clip.h"
#include "desktop.h"
#include "footage.h"
#include "host_recorder.h"

#include "replay/faulty_camera.h"
#include "replay/replay_camera.h"

#include <scanlet/scanlet.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

const std::string failedRead = "Error: Failed to read frame from camera.";
const std::string title = "QR Code Reader";

double percentile(const std::vector<double>& sorted, double share)
{
    const auto rank = static_cast<std::size_t>(std::ceil(share * sorted.size()));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

struct Latencies {
    std::string what;
    std::vector<double> milliseconds;
    int lost = 0;
};

// One run after another: ready says when the run is where the end should
// find it, end ends it and returns when it asked, and the time from then to
// the stopped callback is the latency.
Latencies measure(const std::string& what, int runs, const std::function<bool(HostRecorder&)>& ready,
                  const std::function<Clock::time_point()>& end)
{
    Latencies result{what, {}, 0};
    HostRecorder host;
    for (int run = 0; run < runs; ++run) {
        host.reset();
        host.start(0);
        if (!ready(host)) {
            ++result.lost;
            stopQRCodeDetector();
            continue;
        }
        const auto asked = end();
        Clock::time_point told;
        if (!host.waitFor([&] {
                told = Clock::now();
                return host.stoppedCalls == 1;
            })) {
            ++result.lost;
        } else {
            result.milliseconds.push_back(Milliseconds(told - asked).count());
        }
        stopQRCodeDetector();
    }
    return result;
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " report.md [runs]" << std::endl;
        return 2;
    }
    const int runs = argc > 2 ? std::stoi(argv[2]) : 200;
    // Each user action starts a program of its own; fewer of them.
    const int userRuns = std::max(1, runs / 4);
    const footage::ScratchFolder folder("scanlet-bench-stop-latency");
    const std::string clip = bench::clip(folder.path().string(), 2000);

    // Ends land at random moments of the frame loop or of the pause after a
    // failed read, not in step with either.
    std::mt19937 random(7);
    const auto randomPause = [&](int upToMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, upToMs)(random)));
    };
    const auto stop = [] {
        const auto asked = Clock::now();
        stopQRCodeDetector();
        return asked;
    };
    const auto failing = [&](HostRecorder& host) {
        if (!host.waitForLine(failedRead)) {
            return false;
        }
        randomPause(1000);
        return true;
    };
    std::vector<Latencies> all;
    scanlet::setReplaySource(clip);
    all.push_back(measure("stop while frames flow", runs,
                          [&](HostRecorder& host) {
                              const bool shown = host.waitForCodes(1);
                              randomPause(40);
                              return shown;
                          },
                          stop));
    scanlet::setFaultyReplaySource(clip, {scanlet::FaultyCamera::Fault::failingReads, 5});
    all.push_back(measure("stop while reads fail", runs, failing, stop));
    // The window is each run's own, found again by its title. The user's
    // action counts from the start of the program that sends it: an upper
    // bound, since the run may end before that program does.
    all.push_back(measure("Esc while reads fail", userRuns, failing, [] {
        desktop::shell("xdotool windowactivate --sync " + desktop::findWindow(title));
        const auto asked = Clock::now();
        desktop::shell("xdotool key Escape");
        return asked;
    }));
    all.push_back(measure("close while reads fail", userRuns, failing, [] {
        const auto asked = Clock::now();
        desktop::shell("wmctrl -c '" + title + "'");
        return asked;
    }));
    scanlet::setReplaySource("");

    std::ofstream out(argv[1]);
    out << std::fixed << std::setprecision(1)
        << "| Ended by | Runs | Median | p99 | Max | Min |\n|---|---:|---:|---:|---:|---:|\n";
    for (auto& latencies : all) {
        auto& sorted = latencies.milliseconds;
        std::sort(sorted.begin(), sorted.end());
        out << "| " << latencies.what << " | " << sorted.size();
        if (sorted.empty()) {
            out << " | - | - | - | - |\n";
            continue;
        }
        out << " | " << percentile(sorted, 0.5) << " ms | " << percentile(sorted, 0.99) << " ms | " << sorted.back()
            << " ms | " << sorted.front() << " ms |\n";
    }
    for (const auto& latencies : all) {
        if (latencies.lost > 0) {
            out << "\n" << latencies.what << ": " << latencies.lost << " runs never got there or were not told once.\n";
        }
    }
    return out ? 0 : 1;
}
