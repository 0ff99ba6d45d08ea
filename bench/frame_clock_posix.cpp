// The process's CPU time, OpenCV's worker threads included, so that other work
// on a shared machine does not count.
#include "frame_clock.h"

#include <ctime>

namespace bench {

double frameClockMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

const char* frameClockName()
{
    return "cpu";
}

void timeWithFrameClock(benchmark::internal::Benchmark& timed)
{
    timed.MeasureProcessCPUTime();
}

}
