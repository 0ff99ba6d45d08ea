#include "start_process.h"

#include <stdexcept>
#include <string>
#include <vector>

PROCESS_INFORMATION startProcess(const std::filesystem::path& executable)
{
    STARTUPINFOW startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    startupInfo.dwFlags = STARTF_USESTDHANDLES;
    startupInfo.hStdInput = nullptr;
    startupInfo.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startupInfo.hStdError = GetStdHandle(STD_ERROR_HANDLE);

    // The install folder usually contains a blank ("Program Files"). Quoting
    // the command line and naming the application keeps the system from
    // trying "C:\Program.exe" and each other prefix of an unquoted path.
    const std::wstring& applicationName = executable.native();
    std::wstring quoted = L"\"" + applicationName + L"\"";
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');

    PROCESS_INFORMATION processInformation{};
    if (!CreateProcessW(applicationName.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                        nullptr, nullptr, &startupInfo, &processInformation)) {
        const DWORD error = GetLastError();
        throw std::runtime_error("Failed to start process. Error code: " + std::to_string(error));
    }
    return processInformation;
}
