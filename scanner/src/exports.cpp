#include "run/report_errors.h"
#include "scanner.h"

#include <scanlet/scanlet.h>

namespace scanlet {

// The library's one piece of global state, built by whichever comes first: a
// host's first call, or a developer build setting its frames. Built on first
// use, it never depends on the order in which static objects are built.
Scanner& processScanner()
{
    static Scanner scanner;
    return scanner;
}

}

using scanlet::processScanner;

// A C host cannot catch a C++ exception: each export reports it and returns.
extern "C" {

SCANLET_API void startQRCodeDetector(QRCodeDetectedCallback codeCallback, int32_t initialCount,
                                     const char* const* knownCodes, int32_t knownCodeCount)
{
    scanlet::reportErrors("startQRCodeDetector",
                          [&] { processScanner().start(codeCallback, initialCount, knownCodes, knownCodeCount); });
}

SCANLET_API void stopQRCodeDetector(void)
{
    scanlet::reportErrors("stopQRCodeDetector", [] { processScanner().stop(); });
}

SCANLET_API int32_t getQRCodeCount(void)
{
    int32_t count = 0;
    scanlet::reportErrors("getQRCodeCount", [&] { count = processScanner().count(); });
    return count;
}

SCANLET_API void setQRCodeDetectionStoppedCallback(QRCodeDetectionStoppedCallback callback)
{
    scanlet::reportErrors("setQRCodeDetectionStoppedCallback",
                          [&] { processScanner().setStoppedCallback(callback); });
}
}
