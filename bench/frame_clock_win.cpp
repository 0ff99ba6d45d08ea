// Wall-clock time: Wine counts a process's CPU time in steps of 10 ms, more
// than most frames cost. Other work on a busy machine inflates it, so figures
// compare within one run only.
#include "frame_clock.h"

#include <windows.h>

namespace bench {

double frameClockMilliseconds()
{
    static const double ticksPerMillisecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e3;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMillisecond;
}

const char* frameClockName()
{
    return "wall";
}

void timeWithFrameClock(benchmark::internal::Benchmark& timed)
{
    timed.UseRealTime();
}

}
