// Plays the server program or the client application in the launcher's
// tests. It is told what to do through environment variables that start with
// STAND_IN_SERVER_ or STAND_IN_CLIENT_ (the server's when built with
// STAND_IN_SERVER defined), since the launcher passes its environment to its children:
//
//   WAIT_FOR   files whose creation it waits for before anything else
//   RECORD     file to which it appends what it saw, one "key=value" per line
//   CREATE     files to create, separated by "|"; %VARIABLES% are expanded
//   HOLD       files to create and keep open without delete sharing
//   CTRL_C     when set, raises Ctrl+C on the whole console
//   READY      file to create once the steps above are done
//   WAIT_GONE  files whose removal it waits for before going on
//   RUN_MS     milliseconds to run before ending
//   EXIT_CODE  its exit code, an unsigned decimal number
//
// Its record also holds times on the system clock, in 100-nanosecond ticks
// since 1601, for the launcher's benchmark: when its own process and its
// parent's were created, when its main function began and, appended last,
// when it returned.

#include "utf8.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <tlhelp32.h>

namespace {

#ifdef STAND_IN_SERVER
const wchar_t settingPrefix[] = L"STAND_IN_SERVER_";
#else
const wchar_t settingPrefix[] = L"STAND_IN_CLIENT_";
#endif

std::wstring setting(const wchar_t* name)
{
    const std::wstring variable = std::wstring(settingPrefix) + name;
    const DWORD size = GetEnvironmentVariableW(variable.c_str(), nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(variable.c_str(), value.data(), size));
    return value;
}

std::wstring expand(const std::wstring& text)
{
    const DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    std::wstring expanded(size, L'\0');
    expanded.resize(ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size) - 1);
    return expanded;
}

std::vector<std::wstring> fileList(const wchar_t* name)
{
    std::vector<std::wstring> files;
    const std::wstring list = setting(name);
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = std::min(list.find(L'|', start), list.size());
        if (end > start) {
            files.push_back(expand(list.substr(start, end - start)));
        }
        start = end + 1;
    }
    return files;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    FileHandle(FileHandle&& other) noexcept : handle(other.handle) { other.handle = INVALID_HANDLE_VALUE; }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle& operator=(FileHandle&&) = delete;

private:
    HANDLE handle;
};

FileHandle createFile(const std::wstring& path, DWORD share)
{
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        const char content[] = "stand-in QR image";
        DWORD written = 0;
        WriteFile(handle, content, sizeof content - 1, &written, nullptr);
    }
    return FileHandle(handle);
}

unsigned long long ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

unsigned long long now()
{
    FILETIME time{};
    GetSystemTimePreciseAsFileTime(&time);
    return ticks(time);
}

unsigned long long creationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    return GetProcessTimes(process, &created, &exited, &kernel, &user) ? ticks(created) : 0;
}

unsigned long long parentCreationTime()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD parent = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL found = Process32FirstW(snapshot, &entry); found; found = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent);
    if (process == nullptr) {
        return 0;
    }
    const unsigned long long created = creationTime(process);
    CloseHandle(process);
    return created;
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The launcher's tests raise Ctrl+C for the launcher; the stand-ins live on
// so that the launcher's own sequence can be watched to its end.
BOOL WINAPI ignoreCtrlC(DWORD event)
{
    return event == CTRL_C_EVENT ? TRUE : FALSE;
}

}

int main()
{
    const unsigned long long started = now();
    SetConsoleCtrlHandler(ignoreCtrlC, TRUE);

    // Waits are bounded so that a broken launcher fails its test instead of
    // hanging it.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    for (const std::wstring& file : fileList(L"WAIT_FOR")) {
        while (!exists(file) && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    std::string record;
    wchar_t module[32768] = {};
    GetModuleFileNameW(nullptr, module, 32768);
    wchar_t directory[32768] = {};
    GetCurrentDirectoryW(32768, directory);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    record += "module=" + utf8(module) + "\n";
    record += "directory=" + utf8(directory) + "\n";
    record += "commandLine=" + utf8(GetCommandLineW()) + "\n";
    record += "created=" + std::to_string(creationTime(GetCurrentProcess())) + "\n";
    record += "parentCreated=" + std::to_string(parentCreationTime()) + "\n";
    record += "started=" + std::to_string(started) + "\n";
    record += std::string("stdin=") + (input == nullptr || input == INVALID_HANDLE_VALUE ? "null" : "open") + "\n";

    for (const std::wstring& file : fileList(L"CREATE")) {
        createFile(file, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    }
    std::vector<FileHandle> held;
    for (const std::wstring& file : fileList(L"HOLD")) {
        held.push_back(createFile(file, FILE_SHARE_READ | FILE_SHARE_WRITE));
    }
    if (!setting(L"CTRL_C").empty()) {
        record += std::string("ctrlC=") + (GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? "raised" : "failed") + "\n";
    }

    const std::wstring recordFile = setting(L"RECORD");
    if (!recordFile.empty()) {
        std::ofstream(recordFile.c_str(), std::ios::app | std::ios::binary) << record;
    }
    for (const std::wstring& file : fileList(L"READY")) {
        createFile(file, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    }

    for (const std::wstring& file : fileList(L"WAIT_GONE")) {
        while (exists(file) && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    const std::wstring runMilliseconds = setting(L"RUN_MS");
    if (!runMilliseconds.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoul(runMilliseconds)));
    }
    if (!recordFile.empty()) {
        std::ofstream(recordFile.c_str(), std::ios::app | std::ios::binary) << "ended=" << now() << "\n";
    }
    const std::wstring exitCode = setting(L"EXIT_CODE");
    return exitCode.empty() ? 0 : static_cast<int>(std::stoul(exitCode));
}
