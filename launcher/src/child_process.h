#pragma once

#include <windows.h>

// Owns the process and thread handles of a started child. The main sequence
// closes them explicitly, since the order of the closes is part of its way
// out; whatever is still open when the owner goes, on an error's way out, is
// closed then.
class ChildProcess {
public:
    explicit ChildProcess(const PROCESS_INFORMATION& information);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    HANDLE process() const;

    // Closes the process handle, then the thread handle.
    void closeHandles();

private:
    PROCESS_INFORMATION information;
};
