#pragma once

#include <benchmark/benchmark.h>

namespace bench {

// The clock the acceptance benchmark times each frame by, in milliseconds
// from an arbitrary start.
double frameClockMilliseconds();

// What the clock counts, for the names of the figures: "cpu" or "wall".
const char* frameClockName();

// Makes a benchmark time its iterations by the same kind of clock.
void timeWithFrameClock(benchmark::internal::Benchmark& timed);

}
