// The library's life in a POSIX process.
//
// It is never unloaded: it is linked with -z nodelete, since its threads and
// the window toolkit it loads stay bound to its code.
//
// One list of exit handlers serves the whole process, run last registered
// first, and the libraries a run uses (the window toolkit, the camera
// backends, the decoders) register theirs as they set themselves up, at the
// run's first window, first camera, first window events and first frame; the
// decoders build what they build lazily on a first read during the setup,
// before the camera. A run still working when those run would meet them torn
// down, so at each of those steps, once per process, the library registers a
// handler that ends the run without telling the host. For the same reason a
// start returns only once the whole setup is done, unless the camera takes
// more than a few seconds to open: a host that exits at once would otherwise
// tear down under the run what the setup is registering. The scanner's own
// destructor ends a run that is left.
#include "platform/lifetime.h"

#include <atomic>
#include <cstdlib>

namespace scanlet {

const bool startAwaitsSetUp = true;

void endRunBeforeLibrariesExit(SetUpStep step, void (*endRun)())
{
    static std::atomic<unsigned> stepsWithHandler{0};
    const unsigned bit = 1u << static_cast<unsigned>(step);
    if ((stepsWithHandler.fetch_or(bit) & bit) == 0) {
        std::atexit(endRun);
    }
}

void keepLoaded() {}

void letGo(std::thread& thread)
{
    thread.detach();
}

bool threadsEndedBySystem()
{
    return false;
}

}
