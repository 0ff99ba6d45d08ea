// Stop latency: how long the host's stopQRCodeDetector call takes to return
// while frames flow, over many runs, as a distribution.
#include "clip.h"
#include "footage.h"
#include "host_recorder.h"

#include "replay_camera.h"

#include <scanlet/scanlet.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <random>
#include <thread>
#include <vector>

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

double percentile(const std::vector<double>& sorted, double share)
{
    const auto rank = static_cast<std::size_t>(std::ceil(share * sorted.size()));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " report.md [runs]" << std::endl;
        return 2;
    }
    const int runs = argc > 2 ? std::stoi(argv[2]) : 200;
    const footage::ScratchFolder folder("scanlet-bench-stop-latency");
    scanlet::setReplaySource(bench::clip(folder.path().string(), 2000));

    // Stops land at random moments of the frame loop, not in step with it.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pause(0, 40);
    std::vector<double> latencies;
    int lost = 0;
    {
        HostRecorder host;
        for (int run = 0; run < runs; ++run) {
            host.reset();
            host.start(0);
            if (!host.waitForCodes(1)) {
                ++lost;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
            const auto asked = std::chrono::steady_clock::now();
            stopQRCodeDetector();
            latencies.push_back(Milliseconds(std::chrono::steady_clock::now() - asked).count());
            auto lock = host.lock();
            lost += host.stoppedCalls != 1;
        }
    }
    scanlet::setReplaySource("");

    std::sort(latencies.begin(), latencies.end());
    std::ofstream out(argv[1]);
    out << std::fixed << std::setprecision(1) << "| Runs | Median | p99 | Max | Min |\n|---:|---:|---:|---:|---:|\n| "
        << runs << " | " << percentile(latencies, 0.5) << " ms | " << percentile(latencies, 0.99) << " ms | "
        << latencies.back() << " ms | " << latencies.front() << " ms |\n";
    if (lost > 0) {
        out << "\n" << lost << " runs showed no code or not exactly one stopped callback.\n";
    }
    return out ? 0 : 1;
}
