#include "console_output.h"

#include <iostream>

StandardHandleBuffer::StandardHandleBuffer(DWORD standardHandle)
    : standardHandle(standardHandle)
{
}

StandardHandleBuffer::int_type StandardHandleBuffer::overflow(int_type character)
{
    if (traits_type::eq_int_type(character, traits_type::eof())) {
        return traits_type::not_eof(character);
    }
    const wchar_t text = traits_type::to_char_type(character);
    return xsputn(&text, 1) == 1 ? character : traits_type::eof();
}

std::streamsize StandardHandleBuffer::xsputn(const wchar_t* text, std::streamsize count)
{
    std::wstring& line = pendingLine();
    for (std::streamsize index = 0; index < count; ++index) {
        if (text[index] != L'\n') {
            line += text[index];
            continue;
        }
        line += L"\r\n";
        // A stream told of one failed write drops every later line, so a line
        // that cannot be written is tried once more and then given up alone.
        if (!write(line)) {
            write(line);
        }
        line.clear();
    }
    return count;
}

// The main sequence and the console handler's thread write at the same time,
// so each thread gathers its own line and no lock is needed. Whole lines
// also mean that a handler cut off by the end of the process loses lines but
// never leaves half of one.
std::wstring& StandardHandleBuffer::pendingLine() const
{
    thread_local std::wstring outputLine;
    thread_local std::wstring errorLine;
    return standardHandle == STD_ERROR_HANDLE ? errorLine : outputLine;
}

bool StandardHandleBuffer::write(const std::wstring& line) const
{
    const HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const int length = static_cast<int>(line.size());
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        return WriteConsoleW(handle, line.data(), static_cast<DWORD>(length), &written, nullptr) != 0;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), length, nullptr, 0, nullptr, nullptr);
    if (size == 0) {
        return false;
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), length, utf8.data(), size, nullptr, nullptr);
    return WriteFile(handle, utf8.data(), static_cast<DWORD>(size), &written, nullptr) != 0;
}

void installConsoleOutput()
{
    static StandardHandleBuffer* const output = new StandardHandleBuffer(STD_OUTPUT_HANDLE);
    static StandardHandleBuffer* const error = new StandardHandleBuffer(STD_ERROR_HANDLE);
    std::wcout.rdbuf(output);
    std::wcerr.rdbuf(error);
}
