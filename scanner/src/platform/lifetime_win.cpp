// The library's life in a Windows process.
//
// Unloading runs under the loader lock, where no thread can be waited for, so
// the library pins itself in the process before it starts a thread of its own.
//
// At exit the host's C runtime runs its exit handlers while every thread still
// runs; only then does the system end the other threads, wherever they are
// (perhaps holding a lock of the thread library), and run the library's own
// exit: DllMain, then its static destructors. So the run is ended from the
// host's runtime, through a handler the library registers there at the run's
// first window, and from then on nothing waits for a thread or calls into the
// thread library: the threads are gone and their objects are let go. The
// libraries linked into the DLL tear themselves down only in its own exit, so
// a start need not wait past the window.
#include "platform/lifetime.h"

#include <windows.h>

#include <iostream>
#include <mutex>
#include <utility>

namespace scanlet {
namespace {

// Set once DllMain has been told that the process is ending.
bool processEnding = false;

// Has handler run as exit() begins, whichever C runtime the host has: Visual
// C++'s, or msvcrt's for MinGW hosts.
void atHostExit(void (*handler)())
{
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
}

}

const bool startAwaitsSetUp = false;

void endRunBeforeLibrariesExit(SetUpStep step, void (*endRun)())
{
    static std::once_flag registered;
    if (step == SetUpStep::window) {
        std::call_once(registered, [endRun] { atHostExit(endRun); });
    }
}

void keepLoaded()
{
    // Pinning a pinned module changes nothing, so every caller may ask.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&keepLoaded), &module)) {
        std::cerr << "Error: the library could not keep itself loaded (error " << GetLastError() << ")"
                  << std::endl;
    }
}

void letGo(std::thread& thread)
{
    // A joinable thread object ends the process when destroyed; moved to the
    // heap and never freed, it is simply forgotten.
    static_cast<void>(new std::thread(std::move(thread)));
}

bool threadsEndedBySystem()
{
    return processEnding;
}

}

// A non-null reserved pointer on detach means the process is ending, not that
// the library is being unloaded (once it has started a thread, it never is).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
        scanlet::processEnding = true;
    }
    return TRUE;
}
