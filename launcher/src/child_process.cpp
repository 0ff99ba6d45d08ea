#include "child_process.h"

#include <initializer_list>

ChildProcess::ChildProcess(const PROCESS_INFORMATION& information)
    : information(information)
{
}

ChildProcess::~ChildProcess()
{
    closeHandles();
}

HANDLE ChildProcess::process() const
{
    return information.hProcess;
}

void ChildProcess::closeHandles()
{
    for (HANDLE* handle : {&information.hProcess, &information.hThread}) {
        if (*handle != nullptr) {
            CloseHandle(*handle);
            *handle = nullptr;
        }
    }
}
