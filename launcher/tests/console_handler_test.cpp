// Calls consoleHandler directly, as the system would on its own thread, with
// the launcher's temp folder pointed at a folder of this test.

#include "utf8.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "console_handler.h"
#include "console_output.h"
#include "delete_file.h"

namespace fs = std::filesystem;

namespace {

int failures = 0;

void expect(bool condition, const std::string& what)
{
    if (!condition) {
        std::cerr << "FAILED: " << what << std::endl;
        ++failures;
    }
}

// Takes the launcher's wide console lines for as long as it lives.
class CapturedOutput {
public:
    CapturedOutput()
        : previousOutput(std::wcout.rdbuf(output.rdbuf()))
        , previousError(std::wcerr.rdbuf(error.rdbuf()))
    {
    }
    ~CapturedOutput()
    {
        std::wcout.rdbuf(previousOutput);
        std::wcerr.rdbuf(previousError);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::wostringstream output;
    std::wostringstream error;

private:
    std::wstreambuf* previousOutput;
    std::wstreambuf* previousError;
};

std::wstring quoted(const fs::path& path)
{
    std::wstring text = L"\"";
    for (const wchar_t character : path.native()) {
        if (character == L'\\' || character == L'"') {
            text += L'\\';
        }
        text += character;
    }
    return text + L"\"";
}

void place(const fs::path& file)
{
    std::ofstream(file.c_str()) << "QR";
}

struct Folders {
    fs::path temp;
    fs::path desktop;
    fs::path tempCopy() const { return temp / L"Kestamo-server-qr.png"; }
    fs::path desktopCopy() const { return desktop / L"Kestamo-server-qr.png"; }
};

Folders useOwnTempFolder()
{
    Folders folders;
    folders.temp = fs::current_path() / L"handler-temp";
    fs::create_directories(folders.temp);
    SetEnvironmentVariableW(L"TMP", (folders.temp.native() + L"\\").c_str());
    folders.desktop = fs::path(_wgetenv(L"USERPROFILE")) / L"Desktop";
    fs::create_directories(folders.desktop);
    return folders;
}

void passesOnOtherEvents(const Folders& folders)
{
    for (const DWORD event : {CTRL_BREAK_EVENT, CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}) {
        place(folders.tempCopy());
        place(folders.desktopCopy());
        CapturedOutput captured;
        const std::string name = "event " + std::to_string(event);
        expect(consoleHandler(event) == FALSE, name + " is passed on");
        expect(fs::exists(folders.tempCopy()) && fs::exists(folders.desktopCopy()), name + " leaves both copies");
        expect(captured.output.str().empty() && captured.error.str().empty(), name + " writes nothing");
    }
}

void cleansUpOnCtrlCAndClose(const Folders& folders)
{
    for (const DWORD event : {CTRL_C_EVENT, CTRL_CLOSE_EVENT}) {
        const std::string name = "event " + std::to_string(event);
        place(folders.tempCopy());
        place(folders.desktopCopy());
        {
            CapturedOutput captured;
            expect(consoleHandler(event) == TRUE, name + " is handled");
            expect(captured.output.str() == L"File deleted: " + quoted(folders.tempCopy()) + L"\n"
                       + L"File deleted: " + quoted(folders.desktopCopy()) + L"\n"
                       + L"File cleanup completed\n",
                   name + " deletes the temp copy, then the Desktop copy");
            expect(captured.error.str().empty(), name + " reports no error");
        }
        expect(!fs::exists(folders.tempCopy()) && !fs::exists(folders.desktopCopy()), name + " removes both copies");

        place(folders.desktopCopy());
        CapturedOutput captured;
        expect(consoleHandler(event) == TRUE, name + " is handled again");
        expect(captured.output.str() == L"File does not exist: " + quoted(folders.tempCopy()) + L"\n"
                   + L"File deleted: " + quoted(folders.desktopCopy()) + L"\n"
                   + L"File cleanup completed\n",
               name + " with only the Desktop copy present");
    }
}

void keepsGoingWhenACopyIsHeldOpen(const Folders& folders)
{
    place(folders.desktopCopy());
    const HANDLE held = CreateFileW(folders.desktopCopy().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    expect(held != INVALID_HANDLE_VALUE, "the Desktop copy can be held open");
    {
        CapturedOutput captured;
        expect(consoleHandler(CTRL_C_EVENT) == TRUE, "a held copy is handled");
        expect(captured.output.str() == L"File does not exist: " + quoted(folders.tempCopy()) + L"\n"
                   + L"File cleanup completed\n",
               "a held copy yields no deleted line");
        expect(captured.error.str().rfind(L"Error deleting file: ", 0) == 0
                   && captured.error.str().find(L'\n') == captured.error.str().size() - 1,
               "a held copy is reported in one error line");
    }
    CloseHandle(held);
    expect(fs::exists(folders.desktopCopy()), "a held copy stays");
    fs::remove(folders.desktopCopy());
}

HANDLE createOutputFile(const fs::path& file)
{
    return CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

std::string contents(const fs::path& file)
{
    std::ifstream stream(file.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The main sequence and the console handler's thread can delete the same
// copy at once. Two threads run deleteFile on one copy, round after round,
// with the launcher's own output going to files: the thread that finds the
// copy gone when it removes it must still report it deleted, and every line
// must come out whole and end in CR LF.
void twoThreadsDeleteOneCopy(const Folders& folders)
{
    const int rounds = 400;
    const fs::path outputFile = fs::current_path() / L"race-output.txt";
    const fs::path errorFile = fs::current_path() / L"race-error.txt";
    const HANDLE previousOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE previousError = GetStdHandle(STD_ERROR_HANDLE);
    const HANDLE output = createOutputFile(outputFile);
    const HANDLE error = createOutputFile(errorFile);
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    SetStdHandle(STD_ERROR_HANDLE, error);
    installConsoleOutput();

    std::atomic<int> started{-1};
    std::atomic<int> finished{0};
    const auto deleteEachRound = [&] {
        for (int round = 0; round < rounds; ++round) {
            while (started.load() < round) {
                std::this_thread::yield();
            }
            deleteFile(folders.tempCopy());
            ++finished;
        }
    };
    std::thread first(deleteEachRound);
    std::thread second(deleteEachRound);
    for (int round = 0; round < rounds; ++round) {
        place(folders.tempCopy());
        started = round;
        while (finished.load() < 2 * (round + 1)) {
            std::this_thread::yield();
        }
    }
    first.join();
    second.join();
    SetStdHandle(STD_OUTPUT_HANDLE, previousOutput);
    SetStdHandle(STD_ERROR_HANDLE, previousError);
    CloseHandle(output);
    CloseHandle(error);

    const std::string errors = contents(errorFile);
    expect(errors.empty(), "two threads deleting one copy report an error: " + errors.substr(0, errors.find('\n')));
    const std::string deleted = utf8(L"File deleted: " + quoted(folders.tempCopy())) + "\r\n";
    const std::string absent = utf8(L"File does not exist: " + quoted(folders.tempCopy())) + "\r\n";
    const std::string lines = contents(outputFile);
    std::size_t at = 0;
    int whole = 0;
    for (int round = 0; round < rounds; ++round) {
        bool oneDeleted = false;
        for (int thread = 0; thread < 2; ++thread) {
            const bool isDeleted = lines.compare(at, deleted.size(), deleted) == 0;
            const bool isAbsent = !isDeleted && lines.compare(at, absent.size(), absent) == 0;
            if (!isDeleted && !isAbsent) {
                break;
            }
            oneDeleted = oneDeleted || isDeleted;
            at += isDeleted ? deleted.size() : absent.size();
            ++whole;
        }
        if (!oneDeleted) {
            break;
        }
    }
    expect(whole == 2 * rounds && at == lines.size(),
           "two threads deleting one copy write two whole lines a round, at least one of them deleted; after "
               + std::to_string(whole) + " lines: " + lines.substr(at, 200));
}

// A temp folder longer than MAX_PATH: either the system names it, and the
// copy there is found, or the call fails and the bare file name is used, as
// for a missing profile folder.
void copesWithALongTempFolder()
{
    const fs::path longFolder = fs::current_path() / std::wstring(120, L'l') / std::wstring(120, L'm');
    const fs::path longFolderName = L"\\\\?\\" + longFolder.native();
    fs::create_directories(longFolderName);
    SetEnvironmentVariableW(L"TMP", (longFolder.native() + L"\\").c_str());

    const fs::path expected = GetTempPathW(0, nullptr) == 0 ? fs::path(L"Kestamo-server-qr.png")
                                                            : longFolder / L"Kestamo-server-qr.png";
    place(expected.is_absolute() ? longFolderName / expected.filename() : expected);
    CapturedOutput captured;
    consoleHandler(CTRL_C_EVENT);
    const std::wstring firstLine = captured.output.str().substr(0, captured.output.str().find(L'\n'));
    expect(firstLine == L"File deleted: " + quoted(expected), "the long temp folder's copy is deleted");
}

}

int main()
{
    const Folders folders = useOwnTempFolder();
    passesOnOtherEvents(folders);
    cleansUpOnCtrlCAndClose(folders);
    keepsGoingWhenACopyIsHeldOpen(folders);
    twoThreadsDeleteOneCopy(folders);
    copesWithALongTempFolder();
    if (failures == 0) {
        std::cout << "all console handler checks passed" << std::endl;
    }
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
