#include "process_exit.h"

#include "detector_state.h"

#include <cstdlib>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace scanlet {

#if defined(_WIN32)
// The system's exit runs the host's exit handlers, and so ends the run, before
// it ends the library's threads and destroys its libraries' static objects.
const bool startAwaitsSetUp = false;
#else
// One list of exit handlers, run last registered first, serves the whole
// process: what a library registers while the run sets up or shuts down runs
// before the handler that ends the run.
const bool startAwaitsSetUp = true;
#endif

void atProcessExit(void (*handler)())
{
#if defined(_WIN32)
    // The table that exit() runs before it ends the process, whichever C
    // runtime the host has: Visual C++'s, or msvcrt's for MinGW hosts.
    using AtExit = int(__cdecl*)(void(__cdecl*)());
    const std::pair<const wchar_t*, const char*> runtimes[] = {{L"ucrtbase.dll", "_crt_atexit"},
                                                              {L"msvcrt.dll", "atexit"}};
    for (const auto& [runtime, function] : runtimes) {
        if (const HMODULE module = GetModuleHandleW(runtime)) {
            if (const auto atExit = reinterpret_cast<AtExit>(reinterpret_cast<void*>(GetProcAddress(module, function)))) {
                atExit(handler);
            }
        }
    }
#else
    std::atexit(handler);
#endif
}

void abandon(std::thread& thread)
{
    // A joinable thread object ends the process when destroyed; moved to the
    // heap and never freed, it is simply forgotten as the process ends.
    static_cast<void>(new std::thread(std::move(thread)));
}

}

#if defined(_WIN32)
// The C runtime calls this before it destroys the library's static objects. A
// non-null reserved pointer on detach means the process is ending, not that the
// library is being unloaded (once it has run, it is never unloaded).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        scanlet::state.exiting = true;
    }
    return TRUE;
}
#endif
