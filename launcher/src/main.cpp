#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <thread>

#include <windows.h>

#include "child_process.h"
#include "console_handler.h"
#include "console_output.h"
#include "delete_file.h"
#include "qr_image_paths.h"
#include "start_process.h"

int main()
{
    installConsoleOutput();
    SetConsoleCtrlHandler(consoleHandler, TRUE);
    try {
        std::wcout << L"Program started" << std::endl;

        const std::filesystem::path currentDirectory = std::filesystem::current_path();
        const std::filesystem::path serverPath = currentDirectory / L"server" / L"kestamo.exe";
        const std::filesystem::path applicationPath = currentDirectory / L"application" / L"zorvane.exe";
        const std::filesystem::path desktopQrImage = desktopQrImagePath();
        const std::filesystem::path tempQrImage = tempQrImagePath();

        std::wcout << L"Current Directory: " << currentDirectory << std::endl;
        std::wcout << L"Server Path: " << serverPath << std::endl;
        std::wcout << L"Application Path: " << applicationPath << std::endl;

        if (!std::filesystem::exists(serverPath) || !std::filesystem::exists(applicationPath)) {
            throw std::runtime_error("Executable files not found.");
        }

        ChildProcess server(startProcess(serverPath));
        // The server gets a head start; the client is expected to cope with
        // a server that is not ready yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ChildProcess client(startProcess(applicationPath));

        WaitForSingleObject(client.process(), INFINITE);
        DWORD exitCode = 0;
        if (GetExitCodeProcess(client.process(), &exitCode) && exitCode != 0) {
            std::wcout << L"Application terminated abnormally. Exit code: " << exitCode << std::endl;
        }

        TerminateProcess(server.process(), 0);
        server.closeHandles();
        client.closeHandles();

        deleteFile(tempQrImage);
        deleteFile(desktopQrImage);
        std::wcout << L"File cleanup completed" << std::endl;
        std::wcout << L"Program ended normally" << std::endl;
    } catch (const std::exception& error) {
        std::wcerr << L"An error occurred: " << error.what() << std::endl;
    }
    return 0;
}
