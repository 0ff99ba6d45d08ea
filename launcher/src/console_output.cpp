#include "console_output.h"

#include <iostream>
#include <string>

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
    return write(&text, 1) ? character : traits_type::eof();
}

std::streamsize StandardHandleBuffer::xsputn(const wchar_t* text, std::streamsize count)
{
    return write(text, count) ? count : 0;
}

// Nothing is buffered: the main sequence and the console handler's thread
// write at the same time, and a shared buffer would need a lock.
bool StandardHandleBuffer::write(const wchar_t* text, std::streamsize count) const
{
    if (count == 0) {
        return true;
    }
    const HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const int length = static_cast<int>(count);
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        return WriteConsoleW(handle, text, static_cast<DWORD>(length), &written, nullptr) != 0;
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size == 0) {
        return false;
    }
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
    return WriteFile(handle, utf8.data(), static_cast<DWORD>(size), &written, nullptr) != 0;
}

ConsoleOutput::ConsoleOutput()
    : output(STD_OUTPUT_HANDLE)
    , error(STD_ERROR_HANDLE)
    , previousOutput(std::wcout.rdbuf(&output))
    , previousError(std::wcerr.rdbuf(&error))
{
}

ConsoleOutput::~ConsoleOutput()
{
    std::wcerr.rdbuf(previousError);
    std::wcout.rdbuf(previousOutput);
}
