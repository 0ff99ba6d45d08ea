/*
 * scanlet: a camera QR code scanner for desktop hosts.
 *
 * The host starts a run, sees the live picture in the window "QR Code Reader",
 * receives each new code once through a callback, reads the running count at
 * any time, and is told when the run has ended. One scanner per process.
 *
 * Protocol:
 *  - Call stopQRCodeDetector after every run, also one that ended by itself
 *    (Esc, window closed, no camera), before starting again or unloading.
 *  - Never call stopQRCodeDetector from inside a callback.
 *  - From inside the code callback call none of these functions; from inside
 *    the stopped callback call neither start nor stop.
 *  - Callbacks run on the library's scanning thread and must return normally.
 */
#ifndef SCANLET_SCANLET_H
#define SCANLET_SCANLET_H

#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#if defined(_WIN32)
#  if defined(SCANLET_BUILDING)
#    define SCANLET_API __declspec(dllexport)
#  else
#    define SCANLET_API __declspec(dllimport)
#  endif
#else
#  define SCANLET_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Receives a newly seen code as NUL-terminated UTF-8, valid only during the
 * call. A code whose payload holds a NUL byte is the text before its first
 * NUL: that text is what is compared with the codes already seen and the known
 * codes, counted and delivered, so payloads that differ only after a NUL count
 * once, and one that begins with a NUL is neither counted nor delivered.
 */
typedef void (*QRCodeDetectedCallback)(const char* code);

/* Told that a run has ended, whatever ended it; the argument is always true. */
typedef void (*QRCodeDetectionStoppedCallback)(bool stopped);

/*
 * Starts a run. The count starts at initialCount; the knownCodeCount strings of
 * knownCodes are treated as already seen in this run and are never reported.
 * codeCallback may be NULL (codes are then counted but not reported).
 * A camera that stops giving frames does not end the run: the library opens
 * it again, about once a second, until one opens or the run is ended.
 */
SCANLET_API void startQRCodeDetector(QRCodeDetectedCallback codeCallback, int32_t initialCount,
                                     const char* const* knownCodes, int32_t knownCodeCount);

/* Ends the current run and returns once it has fully ended (stopped callback included). */
SCANLET_API void stopQRCodeDetector(void);

/* The running count: the start's initialCount plus each new code accepted since. */
SCANLET_API int32_t getQRCodeCount(void);

/* Sets the callback told at the end of every run; NULL switches it off. */
SCANLET_API void setQRCodeDetectionStoppedCallback(QRCodeDetectionStoppedCallback callback);

#ifdef __cplusplus
}
#endif

#endif
