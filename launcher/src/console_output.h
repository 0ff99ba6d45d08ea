#pragma once

#include <streambuf>

#include <windows.h>

// Writes wide text to one of the process's standard handles: as wide
// characters when the handle is a console, as UTF-8 when it is a pipe or a
// file. The console's code page is left as it is, since the children share
// the console.
class StandardHandleBuffer : public std::wstreambuf {
public:
    explicit StandardHandleBuffer(DWORD standardHandle);

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const wchar_t* text, std::streamsize count) override;

private:
    bool write(const wchar_t* text, std::streamsize count) const;

    DWORD standardHandle;
};

// While it lives, std::wcout and std::wcerr write through StandardHandleBuffer.
// In the default "C" locale the standard wide streams fail on the first
// character they cannot convert and then drop every later line.
class ConsoleOutput {
public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    StandardHandleBuffer output;
    StandardHandleBuffer error;
    std::wstreambuf* previousOutput;
    std::wstreambuf* previousError;
};
