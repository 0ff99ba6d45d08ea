/*
 * A Windows host without a C runtime: it starts a run, waits for the stopped
 * callback (with no camera the run ends by itself), stops the run and writes
 * what it was told to standard output. Its entry point is the one the linker
 * looks for in a console program.
 */
#include <scanlet/scanlet.h>

typedef void* HANDLE;
typedef unsigned long DWORD;
typedef int BOOL;
#define WINAPI __stdcall
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define INFINITE 0xFFFFFFFFul

__declspec(dllimport) BOOL WINAPI CloseHandle(HANDLE handle);
__declspec(dllimport) HANDLE WINAPI CreateEventW(void* attributes, BOOL manualReset, BOOL initialState,
                                                 const unsigned short* name);
__declspec(dllimport) void WINAPI ExitProcess(unsigned int exitCode);
__declspec(dllimport) HANDLE WINAPI GetStdHandle(DWORD which);
__declspec(dllimport) BOOL WINAPI SetEvent(HANDLE event);
__declspec(dllimport) DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
__declspec(dllimport) BOOL WINAPI WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written,
                                            void* overlapped);

static HANDLE runEnded;

static void write(const char* text)
{
    DWORD size = 0;
    DWORD written;
    while (text[size] != '\0') {
        ++size;
    }
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, size, &written, 0);
}

static void writeNumber(int32_t number)
{
    char digits[12];
    int at = (int)sizeof digits - 1;
    uint32_t rest = number < 0 ? 0u - (uint32_t)number : (uint32_t)number;
    digits[at] = '\0';
    do {
        digits[--at] = (char)('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (number < 0) {
        digits[--at] = '-';
    }
    write(digits + at);
}

static void onCode(const char* code)
{
    write("code: ");
    write(code);
    write("\r\n");
}

static void onStopped(bool stopped)
{
    write(stopped ? "stopped: true\r\n" : "stopped: false\r\n");
    SetEvent(runEnded);
}

void mainCRTStartup(void)
{
    static const char* const known[] = {"known-ticket-0042"};
    runEnded = CreateEventW(0, 1, 0, 0);
    setQRCodeDetectionStoppedCallback(onStopped);
    startQRCodeDetector(onCode, 7, known, 1);
    WaitForSingleObject(runEnded, INFINITE);
    stopQRCodeDetector();
    setQRCodeDetectionStoppedCallback(0);
    write("count: ");
    writeNumber(getQRCodeCount());
    write("\r\n");
    CloseHandle(runEnded);
    ExitProcess(0);
}
