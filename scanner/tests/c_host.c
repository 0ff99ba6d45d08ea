/*
 * A plain C11 host. Built twice: loading the library by path with dlopen and
 * finding the four exports by their plain names, and linked against it.
 *   c_host [library] stop                one run, stopped once it has ended
 *   c_host [library] exit-in-setup       returns from main right after the start
 *   c_host [library] exit-while-scanning returns from main once a code arrived
 *   c_host [library] exit-in-callback    calls exit from inside the code callback
 *   c_host library reload                a run, unload, load again, another run
 * The exits end with code 3, the host's own; the library must neither change
 * it nor tell the host of the run's end once its exit handling is done.
 */
#define _POSIX_C_SOURCE 200809L

#include <scanlet/scanlet.h>

#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#if !defined(SCANLET_LINKED)
#include <dlfcn.h>
#endif

enum { hostExitCode = 3 };

static atomic_int codes;
static atomic_int stoppedCalls;
static atomic_bool stoppedArgument;
static atomic_bool exiting;
static const char* mode = "";

static void onCode(const char* code)
{
    printf("code: %s\n", code);
    fflush(stdout);
    atomic_fetch_add(&codes, 1);
    if (strcmp(mode, "exit-in-callback") == 0) {
        atomic_store(&exiting, true);
        exit(hostExitCode);
    }
}

static void onStopped(bool stopped)
{
    if (atomic_load(&exiting)) {
        printf("stopped callback after exit\n");
        fflush(stdout);
        abort();
    }
    atomic_store(&stoppedArgument, stopped);
    atomic_fetch_add(&stoppedCalls, 1);
}

static void (*start)(QRCodeDetectedCallback, int32_t, const char* const*, int32_t);
static void (*stop)(void);
static int32_t (*count)(void);
static void (*setStopped)(QRCodeDetectionStoppedCallback);

#if defined(SCANLET_LINKED)
static void* load(const char* path)
{
    (void)path;
    start = startQRCodeDetector;
    stop = stopQRCodeDetector;
    count = getQRCodeCount;
    setStopped = setQRCodeDetectionStoppedCallback;
    return &start;
}
#else
/* ISO C has no conversion from dlsym's object pointer to a function pointer;
 * copying the bytes is the form POSIX blesses. */
static int find(void* library, const char* name, void* function, size_t size)
{
    void* symbol = dlsym(library, name);
    if (symbol == NULL) {
        fprintf(stderr, "missing export %s\n", name);
        return 0;
    }
    memcpy(function, &symbol, size);
    return 1;
}

static void* load(const char* path)
{
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return NULL;
    }
    if (!find(library, "startQRCodeDetector", &start, sizeof start) ||
        !find(library, "stopQRCodeDetector", &stop, sizeof stop) ||
        !find(library, "getQRCodeCount", &count, sizeof count) ||
        !find(library, "setQRCodeDetectionStoppedCallback", &setStopped, sizeof setStopped)) {
        return NULL;
    }
    return library;
}
#endif

static void waitFor(atomic_int* counter)
{
    for (int waited = 0; atomic_load(counter) == 0 && waited < 300; ++waited) {
        struct timespec pause = {0, 100 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
}

/* One run with two known codes from a count of 5, stopped once it has ended. */
static void runOnce(void)
{
    const char* known[] = {"first", "second"};
    atomic_store(&stoppedCalls, 0);
    setStopped(onStopped);
    start(onCode, 5, known, 2);
    waitFor(&stoppedCalls);
    stop();
    printf("count: %d\n", (int)count());
    printf("stopped: %d %s\n", atomic_load(&stoppedCalls), atomic_load(&stoppedArgument) ? "true" : "false");
    fflush(stdout);
}

/* Registered before the library is loaded, so it runs once the library's own
 * exit handling is done: from then on the host's objects may be gone. A run
 * that ends by itself just as the host returns may still tell the host. */
static void markExiting(void)
{
    atomic_store(&exiting, true);
}

int main(int argc, char** argv)
{
    atexit(markExiting);
    if (argc < 3) {
        fprintf(stderr, "usage: %s library stop|exit-in-setup|exit-while-scanning|exit-in-callback|reload\n",
                argv[0]);
        return 2;
    }
    mode = argv[2];
    void* library = load(argv[1]);
    if (library == NULL) {
        return 2;
    }

    printf("count before start: %d\n", (int)count());
    fflush(stdout);
    if (strcmp(mode, "stop") == 0) {
        runOnce();
        return 0;
    }
#if !defined(SCANLET_LINKED)
    if (strcmp(mode, "reload") == 0) {
        runOnce();
        dlclose(library);
        if (load(argv[1]) == NULL) {
            return 2;
        }
        runOnce();
        return 0;
    }
#endif

    const char* known[] = {"first", "second"};
    setStopped(onStopped);
    start(onCode, 5, known, 2);
    if (strcmp(mode, "exit-in-callback") == 0) {
        /* The callback ends the process; two threads in exit at once would not. */
        for (;;) {
            struct timespec pause = {1, 0};
            nanosleep(&pause, NULL);
        }
    }
    if (strcmp(mode, "exit-while-scanning") == 0) {
        waitFor(&codes);
    }
    return hostExitCode;
}
