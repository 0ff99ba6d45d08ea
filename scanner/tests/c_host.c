/*
 * A plain C11 host: loads the library by path, finds the four exports by their
 * plain names and drives one run. With "exit-while-running" it returns from
 * main without stopping the run, as a careless host would.
 */
#define _POSIX_C_SOURCE 200809L

#include <scanlet/scanlet.h>

#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

static atomic_int stoppedCalls;
static atomic_bool stoppedArgument;

static void onCode(const char* code)
{
    printf("code: %s\n", code);
}

static void onStopped(bool stopped)
{
    atomic_store(&stoppedArgument, stopped);
    atomic_fetch_add(&stoppedCalls, 1);
}

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

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s library stop|exit-while-running\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 2;
    }

    void (*start)(QRCodeDetectedCallback, int32_t, const char* const*, int32_t);
    void (*stop)(void);
    int32_t (*count)(void);
    void (*setStopped)(QRCodeDetectionStoppedCallback);
    if (!find(library, "startQRCodeDetector", &start, sizeof start) ||
        !find(library, "stopQRCodeDetector", &stop, sizeof stop) ||
        !find(library, "getQRCodeCount", &count, sizeof count) ||
        !find(library, "setQRCodeDetectionStoppedCallback", &setStopped, sizeof setStopped)) {
        return 2;
    }

    printf("count before start: %d\n", (int)count());
    fflush(stdout);
    const char* known[] = {"first", "second"};
    setStopped(onStopped);
    start(onCode, 5, known, 2);
    if (strcmp(argv[2], "exit-while-running") == 0) {
        return 0;
    }

    for (int waited = 0; atomic_load(&stoppedCalls) == 0 && waited < 300; ++waited) {
        struct timespec pause = {0, 100 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    stop();
    printf("count: %d\n", (int)count());
    printf("stopped: %d %s\n", atomic_load(&stoppedCalls), atomic_load(&stoppedArgument) ? "true" : "false");
    return 0;
}
