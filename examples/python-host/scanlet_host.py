#!/usr/bin/env python3
"""A Python host of scanlet through ctypes: starts the scanner, prints each new
code with the running count, and stops on Enter, Ctrl+C or when the run ends by
itself (Esc, the window closed, no camera).

    python3 scanlet_host.py [LIBRARY] [--known CODE]...

The scanner calls back on a thread of its own. A ctypes callback takes the
interpreter lock (GIL) there before it runs, so the library is loaded with
ctypes.CDLL, whose calls let go of the GIL while they run: a stop that waits
for the scanner's thread then lets that thread's stopped callback in. Through
ctypes.PyDLL, which keeps the GIL during calls, that stop would never return.
"""

import argparse
import ctypes
import queue
import sys
import threading

DEFAULT_LIBRARY = "scanlet.dll" if sys.platform == "win32" else "libscanlet.so.1"

QRCodeDetectedCallback = ctypes.CFUNCTYPE(None, ctypes.c_char_p)
QRCodeDetectionStoppedCallback = ctypes.CFUNCTYPE(None, ctypes.c_bool)


def load_scanlet(path):
    lib = ctypes.CDLL(path)
    lib.startQRCodeDetector.argtypes = [QRCodeDetectedCallback, ctypes.c_int32,
                                        ctypes.POINTER(ctypes.c_char_p), ctypes.c_int32]
    lib.startQRCodeDetector.restype = None
    lib.stopQRCodeDetector.argtypes = []
    lib.stopQRCodeDetector.restype = None
    lib.getQRCodeCount.argtypes = []
    lib.getQRCodeCount.restype = ctypes.c_int32
    lib.setQRCodeDetectionStoppedCallback.argtypes = [QRCodeDetectionStoppedCallback]
    lib.setQRCodeDetectionStoppedCallback.restype = None
    return lib


class Scanner:
    """One run of the scanner. The callback objects live as long as this
    object: the library calls them through their addresses, and a collected
    ctypes callback leaves it calling freed memory."""

    RUN_ENDED = object()

    def __init__(self, lib):
        self.lib = lib
        self.events = queue.Queue()
        # Both run on the scanner's thread; the code callback with the
        # scanner's lock held. They only hand over what they were told.
        self.on_code = QRCodeDetectedCallback(self._code_found)
        self.on_stopped = QRCodeDetectionStoppedCallback(self._run_ended)

    def _code_found(self, code):
        # ctypes hands the text over as a bytes copy, which outlives the call.
        self.events.put(code.decode("utf-8", errors="replace"))

    def _run_ended(self, stopped):
        self.events.put(self.RUN_ENDED)

    def start(self, known_codes):
        encoded = [code.encode("utf-8") for code in known_codes]
        known = (ctypes.c_char_p * len(encoded))(*encoded) if encoded else None
        self.lib.setQRCodeDetectionStoppedCallback(self.on_stopped)
        self.lib.startQRCodeDetector(self.on_code, 0, known, len(encoded))

    def stop(self):
        # Also after a run that ended by itself: this joins the scanner's thread.
        self.lib.stopQRCodeDetector()
        # The library keeps the stopped callback between runs: switch it off
        # before the callback object can go.
        self.lib.setQRCodeDetectionStoppedCallback(QRCodeDetectionStoppedCallback())


def report(scanner, event):
    """Prints what the scanner said; true once its run has ended."""
    if event is Scanner.RUN_ENDED:
        print("The scanner's run has ended.", flush=True)
        return True
    if isinstance(event, str):
        print(f"Code: {event} (count {scanner.lib.getQRCodeCount()})", flush=True)
    return False


def next_event(events):
    """Waits for the scanner or the keyboard in short steps: on Windows, before
    Python 3.14, Ctrl+C cannot interrupt a wait on a lock."""
    while True:
        try:
            return events.get(timeout=0.2)
        except queue.Empty:
            pass


def wait_for_enter(events, enter_pressed):
    # Without a keyboard (input closed) only the run's own end stops the host.
    if sys.stdin.readline():
        events.put(enter_pressed)


def main():
    parser = argparse.ArgumentParser(description="Scan QR codes with scanlet.")
    parser.add_argument("library", nargs="?", default=DEFAULT_LIBRARY)
    parser.add_argument("--known", action="append", default=[], metavar="CODE",
                        help="a code that counts as already seen")
    options = parser.parse_args()

    scanner = Scanner(load_scanlet(options.library))
    print("Scanning: hold a QR code in the middle of the picture. Press Enter or Esc to stop.", flush=True)
    scanner.start(options.known)

    enter_pressed = object()
    threading.Thread(target=wait_for_enter, args=(scanner.events, enter_pressed), daemon=True).start()
    try:
        while True:
            event = next_event(scanner.events)
            if event is enter_pressed or report(scanner, event):
                break
    except KeyboardInterrupt:
        # Ctrl+C stops the run like Enter: the process must not end with it running.
        pass

    scanner.stop()
    # What the scanner said while it stopped: its end, at least.
    while not scanner.events.empty():
        report(scanner, scanner.events.get_nowait())
    print(f"Stopped. Codes counted: {scanner.lib.getQRCodeCount()}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
