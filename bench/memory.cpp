// Memory: the resident size after a long run and after many start/stop
// cycles, against the size after the first run. Also the real frame rate of
// the long run, from its start to the end of its clip.
#include "clip.h"
#include "footage.h"
#include "host_recorder.h"

#include "replay/replay_camera.h"

#include <scanlet/scanlet.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string megabytes(std::int64_t bytes)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << (bytes >= 0 ? "+" : "") << bytes / (1024.0 * 1024.0) << " MiB";
    return text.str();
}

std::string megabytesAbsolute(std::int64_t bytes)
{
    return megabytes(bytes).substr(1);
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

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " report.md [frames] [cycles]" << std::endl;
        return 2;
    }
    const int frames = argc > 2 ? std::stoi(argv[2]) : 10000;
    const int cycles = argc > 3 ? std::stoi(argv[3]) : 1000;
    const footage::ScratchFolder folder("scanlet-bench-memory");
    const std::string shortClip = bench::clip((folder.path() / "short").string(), 60);
    const std::string longClip = bench::clip((folder.path() / "long").string(), frames);

    std::int64_t afterFirst = 0;
    std::int64_t afterLong = 0;
    std::int64_t afterCycles = 0;
    double seconds = 0;
    bool longEnded = false;
    int stopped = 0;
    {
        HostRecorder host;
        scanlet::setReplaySource(shortClip);
        host.start(0);
        host.waitForCodes(1);
        stopQRCodeDetector();
        afterFirst = residentBytes();

        scanlet::setReplaySource(longClip);
        host.reset();
        const auto started = std::chrono::steady_clock::now();
        host.start(0);
        longEnded = host.waitForLine("Error: Failed to read frame from camera.", 1, std::chrono::seconds(1800));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        stopQRCodeDetector();
        afterLong = residentBytes();

        scanlet::setReplaySource(shortClip);
        host.reset();
        for (int cycle = 0; cycle < cycles; ++cycle) {
            host.start(0);
            stopQRCodeDetector();
        }
        {
            auto lock = host.lock();
            stopped = host.stoppedCalls;
        }
        afterCycles = residentBytes();
    }
    scanlet::setReplaySource("");

    std::ofstream out(argv[1]);
    out << "| After | Resident | Against the first run |\n|---|---:|---:|\n"
        << "| the first run | " << megabytesAbsolute(afterFirst) << " | |\n"
        << "| a run of " << frames << " frames | " << megabytesAbsolute(afterLong) << " | "
        << megabytes(afterLong - afterFirst) << " |\n"
        << "| then " << cycles << " start/stop cycles | " << megabytesAbsolute(afterCycles) << " | "
        << megabytes(afterCycles - afterFirst) << " |\n\n";
    if (longEnded) {
        out << "The run of " << frames << " frames took " << std::fixed << std::setprecision(1) << seconds
            << " s from start to the clip's end: " << frames / seconds
            << " frames per second through the library's own loop, window included.\n";
    } else {
        out << "The run of " << frames << " frames did not reach the clip's end.\n";
    }
    if (stopped != cycles) {
        out << "\n" << cycles << " start/stop cycles gave " << stopped << " stopped callbacks.\n";
    }
    return out ? 0 : 1;
}
