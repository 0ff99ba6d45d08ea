#include "process_exit.h"

#include <atomic>
#include <new>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace scanlet {
namespace {

std::atomic<bool> exiting{false};

}

bool processIsExiting()
{
    return exiting;
}

void abandon(std::thread& thread)
{
    // A joinable thread object ends the process when destroyed; moved into
    // storage that is never destroyed, it is simply forgotten.
    alignas(std::thread) static unsigned char forgotten[sizeof(std::thread)];
    new (forgotten) std::thread(std::move(thread));
}

}

#if defined(_WIN32)
// The C runtime calls this before it destroys the library's static objects. A
// non-null reserved pointer on detach means the process is ending, not that the
// library is being unloaded.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        scanlet::exiting = true;
    }
    return TRUE;
}
#endif
