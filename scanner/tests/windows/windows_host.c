/*
 * A plain C Windows host: loads the library with LoadLibraryW, finds the four
 * exports with GetProcAddress by their plain names and drives it in one of
 * these ways:
 *
 *   runs               three runs in a row, each waited for, stopped and
 *                      reported; then FreeLibrary, and the host goes on
 *   scan KNOWN...      one run with these known codes, until it ends by itself
 *                      (Esc, window closed); then stop
 *   unload-in-setup    start, then FreeLibrary at once, while the run is still
 *                      in its setup; returns 3
 *   exit-while-running start, wait for the first code, return 4 from main
 *                      without stopping
 *   protocol           break the protocol: start twice without a stop, stop
 *                      from inside the stopped callback; then stop properly
 *
 * Everything the host is told goes to standard output, one line each.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <scanlet/scanlet.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef void (*StartFunction)(QRCodeDetectedCallback, int32_t, const char* const*, int32_t);
typedef void (*StopFunction)(void);
typedef int32_t (*CountFunction)(void);
typedef void (*SetStoppedFunction)(QRCodeDetectionStoppedCallback);

static StartFunction start;
static StopFunction stop;
static CountFunction count;
static SetStoppedFunction setStopped;

static volatile LONG codes;
static volatile LONG stoppedCalls;
static volatile LONG stoppedArgument;
static volatile LONG stopFromCallback;

static void onCode(const char* code)
{
    printf("code: %s\n", code);
    fflush(stdout);
    InterlockedIncrement(&codes);
}

static void onStopped(bool stopped)
{
    if (stopFromCallback) {
        stop();
    }
    InterlockedExchange(&stoppedArgument, stopped ? 1 : 0);
    InterlockedIncrement(&stoppedCalls);
}

static FARPROC find(HMODULE library, const char* name)
{
    FARPROC function = GetProcAddress(library, name);
    if (function == NULL) {
        fprintf(stderr, "missing export %s\n", name);
        exit(2);
    }
    return function;
}

/* Waits until the counter passes the value, however long a busy machine takes;
 * the test's own time limit catches a run that never gets there. */
static void waitFor(volatile LONG* counter, LONG above)
{
    while (*counter <= above) {
        Sleep(10);
    }
}

static void report(const char* what)
{
    printf("%s: count %d, stopped %ld %s\n", what, (int)count(), (long)stoppedCalls,
           stoppedArgument ? "true" : "false");
    fflush(stdout);
}

static HMODULE load(const char* path)
{
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_UTF8, 0, path, -1, widePath, MAX_PATH) == 0) {
        fprintf(stderr, "bad path %s\n", path);
        exit(2);
    }
    HMODULE library = LoadLibraryW(widePath);
    if (library == NULL) {
        fprintf(stderr, "LoadLibraryW failed for %s: error %lu\n", path, GetLastError());
        exit(2);
    }
    /* GetProcAddress hands out a generic function pointer; each cast names its true type. */
    start = (StartFunction)(void (*)(void))find(library, "startQRCodeDetector");
    stop = (StopFunction)(void (*)(void))find(library, "stopQRCodeDetector");
    count = (CountFunction)(void (*)(void))find(library, "getQRCodeCount");
    setStopped = (SetStoppedFunction)(void (*)(void))find(library, "setQRCodeDetectionStoppedCallback");
    return library;
}

static void unload(HMODULE library)
{
    if (!FreeLibrary(library)) {
        fprintf(stderr, "FreeLibrary failed: error %lu\n", GetLastError());
        exit(2);
    }
    printf("unloaded\n");
    fflush(stdout);
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s library runs|scan|unload-in-setup|exit-while-running|protocol [known...]\n",
                argv[0]);
        return 2;
    }
    HMODULE library = load(argv[1]);
    const char* mode = argv[2];
    const char* known[] = {"first", "second"};
    setStopped(onStopped);

    if (strcmp(mode, "runs") == 0) {
        printf("count before start: %d\n", (int)count());
        for (int run = 1; run <= 3; ++run) {
            char what[16];
            start(onCode, 5, known, 2);
            waitFor(&stoppedCalls, run - 1);
            stop();
            snprintf(what, sizeof what, "run %d", run);
            report(what);
        }
        unload(library);
        printf("host still running\n");
        return 0;
    }
    if (strcmp(mode, "scan") == 0) {
        start(onCode, 0, (const char* const*)(argv + 3), argc - 3);
        waitFor(&stoppedCalls, 0);
        stop();
        report("scan");
        unload(library);
        printf("host still running\n");
        return 0;
    }
    if (strcmp(mode, "unload-in-setup") == 0) {
        start(onCode, 0, NULL, 0);
        unload(library);
        return 3;
    }
    if (strcmp(mode, "exit-while-running") == 0) {
        start(onCode, 0, NULL, 0);
        waitFor(&codes, 0);
        printf("returning from main\n");
        fflush(stdout);
        return 4;
    }
    if (strcmp(mode, "protocol") == 0) {
        stopFromCallback = 1;
        start(onCode, 0, NULL, 0);
        start(onCode, 0, NULL, 0);
        waitFor(&stoppedCalls, 0);
        stop();
        report("protocol");
        unload(library);
        printf("host still running\n");
        return 0;
    }
    fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
}
