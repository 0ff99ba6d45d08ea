/*
 * The Windows soak: one host process that loads scanlet.dll as Windows hosts
 * do and makes many runs in a row, each started, waited for until it has
 * ended, and stopped. Without a camera every run opens the real window, tries
 * cameras 0 to 2 and ends by itself. After each run it samples the process's
 * committed memory and writes a Markdown report: the figure after the first
 * runs, after all of them, and the growth per run between.
 *
 *   soak_host LIBRARY RUNS REPORT.md [SAMPLES.csv]
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>

#include <scanlet/scanlet.h>

#include <stdio.h>
#include <stdlib.h>

typedef void (*StartFunction)(QRCodeDetectedCallback, int32_t, const char* const*, int32_t);
typedef void (*StopFunction)(void);
typedef void (*SetStoppedFunction)(QRCodeDetectionStoppedCallback);

/* The first runs set up what lives for the whole process: the window thread,
 * the window toolkit, the camera back end. */
enum { warmUpRuns = 20 };

static HANDLE runEnded;

static void onStopped(bool stopped)
{
    (void)stopped;
    SetEvent(runEnded);
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

/* The process's commit charge, which Windows also reports as its private
 * bytes. Wine leaves PrivateUsage unset but fills PagefileUsage from the Linux
 * process's own figures, so that it covers Wine's Unix side (X11) as well. */
static double committedKiB(void)
{
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        fprintf(stderr, "GetProcessMemoryInfo failed: error %lu\n", GetLastError());
        exit(2);
    }
    return counters.PagefileUsage / 1024.0;
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s library runs report.md [samples.csv]\n", argv[0]);
        return 2;
    }
    const int runs = atoi(argv[2]);
    if (runs <= warmUpRuns) {
        fprintf(stderr, "runs must be more than the %d warm-up runs\n", warmUpRuns);
        return 2;
    }
    wchar_t path[MAX_PATH];
    if (MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, path, MAX_PATH) == 0) {
        fprintf(stderr, "bad path %s\n", argv[1]);
        return 2;
    }
    const HMODULE library = LoadLibraryW(path);
    if (library == NULL) {
        fprintf(stderr, "LoadLibraryW failed for %s: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    /* GetProcAddress hands out a generic function pointer; each cast names its true type. */
    const StartFunction start = (StartFunction)(void (*)(void))find(library, "startQRCodeDetector");
    const StopFunction stop = (StopFunction)(void (*)(void))find(library, "stopQRCodeDetector");
    const SetStoppedFunction setStopped =
        (SetStoppedFunction)(void (*)(void))find(library, "setQRCodeDetectionStoppedCallback");
    runEnded = CreateEventW(NULL, FALSE, FALSE, NULL);
    setStopped(onStopped);

    double* committed = malloc(sizeof *committed * (size_t)runs);
    if (committed == NULL) {
        return 2;
    }
    const double beforeFirst = committedKiB();
    const ULONGLONG started = GetTickCount64();
    for (int run = 0; run < runs; ++run) {
        start(NULL, 0, NULL, 0);
        WaitForSingleObject(runEnded, INFINITE);
        stop();
        committed[run] = committedKiB();
    }
    const double seconds = (GetTickCount64() - started) / 1000.0;
    setStopped(NULL);

    if (argc > 4) {
        FILE* samples = fopen(argv[4], "w");
        if (samples == NULL) {
            return 1;
        }
        fprintf(samples, "run,committed_kib\n");
        for (int run = 0; run < runs; ++run) {
            fprintf(samples, "%d,%.0f\n", run + 1, committed[run]);
        }
        fclose(samples);
    }

    const double afterWarmUp = committed[warmUpRuns - 1];
    const double afterAll = committed[runs - 1];
    const int half = warmUpRuns + (runs - warmUpRuns) / 2;
    FILE* report = fopen(argv[3], "w");
    if (report == NULL) {
        return 1;
    }
    fprintf(report, "| After | Committed memory |\n|---|---:|\n");
    fprintf(report, "| loading the library | %.1f MiB |\n", beforeFirst / 1024);
    fprintf(report, "| the first run | %.1f MiB |\n", committed[0] / 1024);
    fprintf(report, "| %d runs | %.1f MiB |\n", warmUpRuns, afterWarmUp / 1024);
    fprintf(report, "| %d runs | %.1f MiB |\n", half, committed[half - 1] / 1024);
    fprintf(report, "| %d runs | %.1f MiB |\n\n", runs, afterAll / 1024);
    fprintf(report, "Growth per run from run %d to run %d: %.2f KiB (first half %.2f KiB, second half %.2f KiB). "
                    "%d runs without a camera took %.1f s, %.0f ms a run.\n",
            warmUpRuns, runs, (afterAll - afterWarmUp) / (runs - warmUpRuns),
            (committed[half - 1] - afterWarmUp) / (half - warmUpRuns),
            (afterAll - committed[half - 1]) / (runs - half), runs, seconds, 1000 * seconds / runs);
    fclose(report);
    free(committed);
    printf("host still running\n");
    return 0;
}
