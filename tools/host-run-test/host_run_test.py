#!/usr/bin/env python3
"""Drives one run of an example host end to end and checks what it printed.

    host_run_test.py no-camera -- HOST-COMMAND...
    host_run_test.py footage --expected FILE --known-file FILE [--interrupt] -- HOST-COMMAND...

no-camera: the shipped library, where no camera opens. The host's input is
closed, so only the run's own end can stop it: the library's two lines, the
stopped callback and a count of 0 must follow.

footage: a developer build of the library that replays footage (named by
SCANLET_REPLAY_FOOTAGE). Once the footage is used up the host is sent Enter,
as a user would stop it, or Ctrl+C with --interrupt; it must have reported
exactly the expected codes, each once and in order, with the known codes passed
to its start left out, and stopped the run.
"""

import argparse
import queue
import signal
import subprocess
import sys
import threading
import time

NO_CAMERA_LINES = [
    "Error: No available camera could be opened.",
    "Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened.",
]
END_OF_FOOTAGE = "Error: Failed to read frame from camera."
RUN_ENDED = "The scanner's run has ended."
TIMEOUT = 120


def read_lines(stream, name, lines):
    for line in iter(stream.readline, ""):
        lines.put((name, line.rstrip("\n")))
    lines.put((name, None))


class HostRun:
    def __init__(self, command):
        print("running:", " ".join(command), flush=True)
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True, encoding="utf-8",
                                        errors="replace")
        self.lines = queue.Queue()
        self.output = {"stdout": [], "stderr": []}
        self.open_streams = 2
        for name in ("stdout", "stderr"):
            threading.Thread(target=read_lines, args=(getattr(self.process, name), name, self.lines),
                             daemon=True).start()

    def next_line(self, deadline):
        """The next (stream, line), or None once both streams are closed."""
        while self.open_streams:
            try:
                name, line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                self.process.kill()
                raise SystemExit(f"FAIL: the host did not finish within {TIMEOUT} s")
            if line is None:
                self.open_streams -= 1
                continue
            self.output[name].append(line)
            print(f"[{name}] {line}", flush=True)
            return name, line
        return None

    def finish(self, deadline):
        while self.next_line(deadline):
            pass
        return self.process.wait(timeout=max(1.0, deadline - time.monotonic()))


def fail(message):
    raise SystemExit(f"FAIL: {message}")


def reported_codes(stdout):
    """The codes of the host's "Code: TEXT (count N)" lines, with their counts."""
    codes = []
    for line in stdout:
        if line.startswith("Code: ") and line.endswith(")") and " (count " in line:
            text, count = line[len("Code: "):-1].rsplit(" (count ", 1)
            codes.append((text, int(count)))
    return codes


def check_no_camera(command):
    deadline = time.monotonic() + TIMEOUT
    run = HostRun(command)
    run.process.stdin.close()
    status = run.finish(deadline)
    if status != 0:
        fail(f"the host exited with {status}")
    library_lines = [line for line in run.output["stderr"] if line in NO_CAMERA_LINES]
    if library_lines != NO_CAMERA_LINES:
        fail("the library's two lines for a missing camera were not shown, in order")
    stdout = run.output["stdout"]
    if RUN_ENDED not in stdout:
        fail("the host was not told that the run had ended")
    if stdout[-1] != "Stopped. Codes counted: 0":
        fail("the host did not stop with a count of 0")


def check_footage(command, expected_file, known_file, interrupt):
    with open(expected_file, encoding="utf-8") as file:
        expected = file.read().splitlines()
    with open(known_file, encoding="utf-8") as file:
        for code in file.read().splitlines():
            command += ["--known", code]

    deadline = time.monotonic() + TIMEOUT
    run = HostRun(command)
    while True:
        line = run.next_line(deadline)
        if line is None:
            fail("the host ended before the footage was played")
        if line == ("stderr", END_OF_FOOTAGE):
            break
    # Every code has been found once the footage is used up; the host prints
    # any still on their way before it ends. Stop it as a user would.
    if interrupt:
        run.process.send_signal(signal.SIGINT)
    else:
        run.process.stdin.write("\n")
        run.process.stdin.close()
    status = run.finish(deadline)
    if status != 0:
        fail(f"the host exited with {status}")

    codes = reported_codes(run.output["stdout"])
    texts = [text for text, _ in codes]
    if texts != expected:
        fail("the host reported other codes than the footage holds:\n"
             f"  expected {expected}\n  reported {texts}")
    counts = [count for _, count in codes]
    if any(count < position for position, count in enumerate(counts, 1)) or counts != sorted(counts):
        fail(f"the counts shown with the codes do not rise with them: {counts}")
    stdout = run.output["stdout"]
    if RUN_ENDED not in stdout:
        fail("the host was not told that the run had ended")
    if stdout[-1] != f"Stopped. Codes counted: {len(expected)}":
        fail(f"the host did not stop with a count of {len(expected)}")


def main():
    if "--" not in sys.argv:
        raise SystemExit(__doc__)
    split = sys.argv.index("--")
    command = sys.argv[split + 1:]
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["no-camera", "footage"])
    parser.add_argument("--expected")
    parser.add_argument("--known-file")
    parser.add_argument("--interrupt", action="store_true")
    options = parser.parse_args(sys.argv[1:split])
    if not command:
        parser.error("no host command after --")
    if options.mode == "no-camera":
        check_no_camera(command)
    else:
        if not options.expected or not options.known_file:
            parser.error("footage needs --expected and --known-file")
        check_footage(command, options.expected, options.known_file, options.interrupt)
    print("OK", flush=True)


if __name__ == "__main__":
    main()
