#pragma once

#include <thread>

namespace scanlet {

// Has handler run as the process begins to exit, while its threads still run:
// before the exit handlers registered so far. On Windows, where a library's
// own exit handlers run only after the system has ended every other thread,
// it goes to the host's C runtime, which runs it before ending the process.
void atProcessExit(void (*handler)());

// Lets go of a thread object without a call into the thread library. At the
// end of a Windows process the system has already ended every other thread,
// perhaps in the middle of holding one of that library's locks.
void abandon(std::thread& thread);

// Whether a start waits until the run is set up, frame source included (or
// has ended, its shutdown done), rather than until its window is open. Where
// the process's exit destroys what the libraries a run uses set up after the
// window (the camera backends' contexts, the toolkit's settings) before it can
// end the run, a host that exits as soon as the start returns would pull them
// from under the run.
extern const bool startAwaitsSetUp;

}
