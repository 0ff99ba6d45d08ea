#pragma once

#include <thread>

// How the library lives in its host's process: loaded, kept, and left behind
// as the process exits. Each platform tells the whole story at the top of its
// own file.
namespace scanlet {

// The steps of a run in which the libraries it uses set themselves up.
enum class SetUpStep : unsigned { window, frameSource, firstEvents, firstFrame };

// Has the process's exit call endRun, which ends the process scanner's run,
// before whatever the libraries registered for their own exit up to this step.
void endRunBeforeLibrariesExit(SetUpStep step, void (*endRun)());

// Whether a start waits until the run is set up, frame source included (or has
// ended and closed its window), rather than until its window is open.
extern const bool startAwaitsSetUp;

// Pins the library in its process for good; called before it starts a thread.
void keepLoaded();

// Lets go of a thread without waiting for it or calling into the thread
// library: only as the process ends.
void letGo(std::thread& thread);

// Whether the process is ending and the system has already ended every thread
// but the one that runs the library's own exit.
bool threadsEndedBySystem();

}
