#pragma once

#include <windows.h>

// Removes both copies of the QR image file when the console is interrupted
// with Ctrl+C or closed, and passes every other event on. Runs on a thread
// that the system creates for each event.
BOOL WINAPI consoleHandler(DWORD event);
