#pragma once

#include <streambuf>
#include <string>

#include <windows.h>

// Writes wide text to one of the process's standard handles: as wide
// characters when the handle is a console, as UTF-8 when it is a pipe or a
// file. Each line ends in CR LF, as a console program's text-mode stream
// ends it, and goes out whole in one write once its newline arrives. The
// console's code page is left as it is, since the children share the
// console.
class StandardHandleBuffer : public std::wstreambuf {
public:
    explicit StandardHandleBuffer(DWORD standardHandle);

protected:
    int_type overflow(int_type character) override;
    std::streamsize xsputn(const wchar_t* text, std::streamsize count) override;

private:
    std::wstring& pendingLine() const;
    bool write(const std::wstring& line) const;

    DWORD standardHandle;
};

// Points std::wcout and std::wcerr at StandardHandleBuffer for the rest of
// the process; in the default "C" locale the standard wide streams fail on
// the first character they cannot convert and then drop every later line.
// The buffers are never destroyed: the console handler's thread can still be
// writing after main has returned, while the process ends.
void installConsoleOutput();
