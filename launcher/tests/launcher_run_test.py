"""Runs ZorvaneRun.exe under Wine in a folder laid out like an installation,
with stand-ins for the server program and the client application, and
compares its console lines with the expected ones.

    launcher_run_test.py CASE --wine-run SCRIPT --wine-root DIR --launcher EXE
                         --server EXE --client EXE --work DIR
"""

import argparse
import fcntl
import os
import pty
import pwd
import random
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time
from pathlib import Path

QR = "Kestamo-server-qr.png"
TIMEOUT = 90


class Context:
    def __init__(self, args):
        self.args = args
        self.wine_root = Path(args.wine_root).resolve()
        self.marker = f"{args.case}-{os.getpid()}"
        user = pwd.getpwuid(os.getuid()).pw_name
        self.temp_copy = f"C:\\users\\{user}\\Temp\\{QR}"
        self.desktop_copy = f"C:\\users\\{user}\\Desktop\\{QR}"
        self.temp_copy_host = self.wine_root / "prefix" / "drive_c" / "users" / user / "Temp" / QR
        self.desktop_copy_host = self.wine_root / "home" / "Desktop" / QR
        self.work = Path(args.work).resolve() / args.case
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.record = self.work / "record.txt"
        self.remove_copies()

    def remove_copies(self):
        for copy in (self.temp_copy_host, self.desktop_copy_host):
            if copy.exists():
                copy.unlink()

    def lay_out(self, folder, server="stand-in", client="stand-in"):
        """Lays out server\\kestamo.exe and application\\zorvane.exe; "text"
        puts a text file in the program's place, None leaves it out."""
        for name, kind, stand_in in (("server\\kestamo.exe", server, self.args.server),
                                     ("application\\zorvane.exe", client, self.args.client)):
            target = folder.joinpath(*name.split("\\"))
            target.parent.mkdir(parents=True, exist_ok=True)
            if kind == "stand-in":
                shutil.copy(stand_in, target)
            elif kind == "text":
                target.write_text("not a program\n")
        return folder

    def environment(self, settings):
        env = dict(os.environ)
        env["ZORVANE_TEST_MARKER"] = self.marker
        env["STAND_IN_SERVER_RECORD"] = windows(self.record)
        env["STAND_IN_CLIENT_RECORD"] = windows(self.record)
        env["STAND_IN_SERVER_RUN_MS"] = "60000"
        env.update(settings)
        return env

    def run(self, folder, settings=None, launcher=None):
        """Runs the launcher; returns its stdout and stderr lines."""
        process = self.start(folder, settings, launcher)
        self.finish(process)
        return self.output()

    def start(self, folder, settings=None, launcher=None):
        """Starts the launcher with its output going to files, not pipes: a
        server program left running keeps its copies of the launcher's
        handles open. Notes the system clock's time of the start in
        nanoseconds since 1970."""
        with open(self.work / "stdout.txt", "wb") as out, open(self.work / "stderr.txt", "wb") as err:
            self.started_ns = time.time_ns()
            return subprocess.Popen(self.command(launcher), cwd=folder, env=self.environment(settings or {}),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err, start_new_session=True)

    def finish(self, process):
        """Waits for the launcher to end and notes the time as start does."""
        try:
            process.wait(timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            raise AssertionError("the launcher did not end")
        self.ended_ns = time.time_ns()
        check(process.returncode == 0, f"exit code {process.returncode}")

    def output(self):
        # Read as bytes: reading as text would turn CR LF into LF.
        return (lines((self.work / "stdout.txt").read_bytes().decode("utf-8")),
                lines((self.work / "stderr.txt").read_bytes().decode("utf-8")))

    def hold_open(self, file):
        """Starts a stand-in that holds the file open without delete sharing
        until the case ends."""
        holder = self.work / "holder.exe"
        shutil.copy(self.args.server, holder)
        ready = self.work / "holder-ready"
        env = self.environment({"STAND_IN_SERVER_HOLD": file, "STAND_IN_SERVER_READY": windows(ready),
                                "STAND_IN_SERVER_RECORD": ""})
        subprocess.Popen([self.args.wine_run, str(self.wine_root), str(holder)], cwd=self.work, env=env,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         start_new_session=True)
        deadline = time.monotonic() + TIMEOUT
        while not ready.exists():
            check(time.monotonic() < deadline, "the holder did not start")
            time.sleep(0.05)

    def command(self, launcher=None):
        return [self.args.wine_run, str(self.wine_root), str(launcher or self.args.launcher)]

    def stand_in_processes(self, name):
        """Process ids of this case's Wine processes whose command line names
        the given program."""
        found = []
        for entry in Path("/proc").iterdir():
            try:
                if not entry.name.isdigit() or (entry / "comm").read_text().startswith("wineserver"):
                    continue
                if f"ZORVANE_TEST_MARKER={self.marker}".encode() not in (entry / "environ").read_bytes().split(b"\0"):
                    continue
                if name.encode() in (entry / "cmdline").read_bytes():
                    found.append(int(entry.name))
            except OSError:
                continue
        return found

    def end_stand_ins(self):
        for name in ("kestamo.exe", "zorvane.exe", "sp.exe", "holder.exe"):
            for pid in self.stand_in_processes(name):
                os.kill(pid, signal.SIGKILL)

    def records(self):
        if not self.record.exists():
            return []
        entries = []
        for line in self.record.read_text(encoding="utf-8").splitlines():
            key, value = line.split("=", 1)
            if key == "module":
                entries.append({})
            entries[-1][key] = value
        return entries

    def header(self, folder):
        directory = windows(folder)
        return ["Program started",
                "Current Directory: " + quoted(directory),
                "Server Path: " + quoted(directory + "\\server\\kestamo.exe"),
                "Application Path: " + quoted(directory + "\\application\\zorvane.exe")]

    def cleanup(self, temp_present, desktop_present):
        return [("File deleted: " if temp_present else "File does not exist: ") + quoted(self.temp_copy),
                ("File deleted: " if desktop_present else "File does not exist: ") + quoted(self.desktop_copy),
                "File cleanup completed"]


def windows(path):
    return "Z:" + str(path).replace("/", "\\")


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def lines(text):
    """The lines of one of the launcher's streams. Like a console program's
    text-mode stream, it ends every line in CR LF, also on a pipe or a file;
    a line ended otherwise, or a last line left unended, fails."""
    check(text == "" or text.endswith("\r\n"), f"the output does not end in CR LF: {text[-80:]!r}")
    found = text.split("\r\n")[:-1]
    for line in found:
        check("\r" not in line and "\n" not in line, f"a line not ended in CR LF: {line!r}")
    return found


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def same(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


def copies_settings(ctx, temp, desktop):
    created = ([f"%TEMP%\\{QR}"] if temp else []) + ([f"%USERPROFILE%\\Desktop\\{QR}"] if desktop else [])
    settings = {"STAND_IN_SERVER_CREATE": "|".join(created),
                "STAND_IN_SERVER_READY": windows(ctx.work / "server-ready"),
                "STAND_IN_CLIENT_WAIT_FOR": windows(ctx.work / "server-ready")}
    return settings


def normal_run(ctx, folder=None, temp=True, desktop=True):
    folder = ctx.lay_out(folder or ctx.work / "install")
    out, err = ctx.run(folder, copies_settings(ctx, temp, desktop))
    same(out, ctx.header(folder) + ctx.cleanup(temp, desktop) + ["Program ended normally"], "standard output")
    same(err, [], "standard error")
    check(not ctx.temp_copy_host.exists() and not ctx.desktop_copy_host.exists(), "a QR image copy was left")
    return folder


def case_normal(ctx):
    folder = normal_run(ctx)
    records = ctx.records()
    same([r["module"] for r in records],
         [windows(folder / "server" / "kestamo.exe"), windows(folder / "application" / "zorvane.exe")], "programs started")
    for record in records:
        same(record["directory"], windows(folder), "child's current directory")
        same(record["commandLine"], '"' + record["module"] + '"', "child's command line")
        same(record["stdin"], "null", "child's standard input")


def case_qr_copies(ctx):
    for temp, desktop in ((False, False), (True, False), (False, True)):
        ctx.record.unlink(missing_ok=True)
        normal_run(ctx, ctx.work / f"install-{int(temp)}{int(desktop)}", temp, desktop)


def exit_code_run(ctx, code):
    folder = ctx.lay_out(ctx.work / "install")
    out, err = ctx.run(folder, {"STAND_IN_CLIENT_EXIT_CODE": str(code)})
    same(out, ctx.header(folder) + [f"Application terminated abnormally. Exit code: {code}"]
         + ctx.cleanup(False, False) + ["Program ended normally"], "standard output")
    same(err, [], "standard error")


def case_exit_code_3(ctx):
    exit_code_run(ctx, 3)


def case_exit_code_all_bits(ctx):
    exit_code_run(ctx, 4294967295)


def error_run(ctx, folder, error, settings=None):
    out, err = ctx.run(folder, settings)
    same(out, ctx.header(folder), "standard output")
    same(err, ["An error occurred: " + error], "standard error")


def case_missing_server(ctx):
    folder = ctx.lay_out(ctx.work / "install", server=None)
    error_run(ctx, folder, "Executable files not found.")
    same(ctx.records(), [], "programs started")


def case_missing_client(ctx):
    folder = ctx.lay_out(ctx.work / "install", client=None)
    error_run(ctx, folder, "Executable files not found.")
    same(ctx.records(), [], "programs started")


def case_server_not_a_program(ctx):
    folder = ctx.lay_out(ctx.work / "install", server="text")
    error_run(ctx, folder, "Failed to start process. Error code: 193")
    same(ctx.records(), [], "programs started")


def case_client_not_a_program(ctx):
    folder = ctx.lay_out(ctx.work / "install", client="text")
    settings = copies_settings(ctx, True, True)
    del settings["STAND_IN_CLIENT_WAIT_FOR"]
    error_run(ctx, folder, "Failed to start process. Error code: 193", settings)
    check(ctx.stand_in_processes("kestamo.exe"), "the server program is no longer running")
    ctx.end_stand_ins()
    check(ctx.temp_copy_host.exists() and ctx.desktop_copy_host.exists(), "a QR image copy was deleted")


def case_desktop_copy_held(ctx):
    folder = ctx.lay_out(ctx.work / "install")
    ctx.hold_open(f"%USERPROFILE%\\Desktop\\{QR}")
    out, err = ctx.run(folder, copies_settings(ctx, True, False))
    same(out, ctx.header(folder) + ["File deleted: " + quoted(ctx.temp_copy), "File cleanup completed",
                                    "Program ended normally"], "standard output")
    check(len(err) == 1 and err[0].startswith("Error deleting file: "), f"standard error {err!r}")
    check(ctx.desktop_copy_host.exists(), "the held Desktop copy was deleted")


def case_other_folder(ctx):
    installed = ctx.lay_out(ctx.work / "installed")
    launcher = installed / "ZorvaneRun.exe"
    shutil.copy(ctx.args.launcher, launcher)
    elsewhere = ctx.lay_out(ctx.work / "elsewhere")
    out, err = ctx.run(elsewhere, launcher=launcher)
    same(out, ctx.header(elsewhere) + ctx.cleanup(False, False) + ["Program ended normally"], "standard output")
    same(err, [], "standard error")
    same([r["module"] for r in ctx.records()],
         [windows(elsewhere / "server" / "kestamo.exe"), windows(elsewhere / "application" / "zorvane.exe")],
         "programs started")


def case_blank_in_path(ctx):
    # With an unquoted command line the system tries "...\sp.exe" before
    # "...\sp ace\server\kestamo.exe".
    shutil.copy(ctx.args.server, ctx.work / "sp.exe")
    folder = normal_run(ctx, ctx.work / "sp ace")
    same([r["module"] for r in ctx.records()],
         [windows(folder / "server" / "kestamo.exe"), windows(folder / "application" / "zorvane.exe")], "programs started")


def case_unicode_folders(ctx):
    for name in ("Zorvané Ünïcødé", "Зорване программа", "佐尔瓦内 程序"):
        normal_run(ctx, ctx.work / name)


def ctrl_c_settings(ctx):
    settings = copies_settings(ctx, True, True)
    settings["STAND_IN_CLIENT_READY"] = windows(ctx.work / "client-ready")
    settings["STAND_IN_CLIENT_WAIT_GONE"] = f"%TEMP%\\{QR}|%USERPROFILE%\\Desktop\\{QR}"
    return settings


def expect_ctrl_c_lines(ctx, folder, output):
    same(output, ctx.header(folder) + ctx.cleanup(True, True) + ctx.cleanup(False, False) + ["Program ended normally"],
         "console lines")


def case_ctrl_c_signal(ctx):
    """Without a terminal a SIGINT to the launcher's Wine process arrives as
    CTRL_C_EVENT."""
    folder = ctx.lay_out(ctx.work / "install")
    process = subprocess.Popen(ctx.command(), cwd=folder, env=ctx.environment(ctrl_c_settings(ctx)),
                               stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True)
    try:
        deadline = time.monotonic() + TIMEOUT
        while not (ctx.work / "client-ready").exists():
            check(time.monotonic() < deadline and process.poll() is None, "the client application did not start")
            time.sleep(0.05)
        process.send_signal(signal.SIGINT)
        out, err = process.communicate(timeout=TIMEOUT)
    except (subprocess.TimeoutExpired, AssertionError):
        os.killpg(process.pid, signal.SIGKILL)
        raise
    expect_ctrl_c_lines(ctx, folder, lines(out.decode("utf-8")))
    same(lines(err.decode("utf-8")), [], "standard error")



BACK_TO_BACK_RUNS = 50
MOST_CTRL_C_PER_RUN = 3
LATEST_CTRL_C = 1.5


def wait_until(condition, process, what):
    deadline = time.monotonic() + TIMEOUT
    while not condition():
        check(time.monotonic() < deadline and process.poll() is None, what)
        time.sleep(0.01)


def stdout_lines(ctx):
    """The whole lines that the running launcher has written so far."""
    return (ctx.work / "stdout.txt").read_bytes().decode("utf-8", errors="replace").split("\r\n")[:-1]


def expect_back_to_back_lines(ctx, folder, out, handled):
    """Takes the header out in its order; the rest must be one whole block per
    handled Ctrl+C and then the main sequence's own, and each copy must be
    reported deleted exactly once, since the server creates it once."""
    header = ctx.header(folder)
    rest = []
    for line in out:
        if header and line == header[0]:
            header.pop(0)
        else:
            rest.append(line)
    same(header, [], "header lines missing")
    blocks = [rest[i:i + 3] for i in range(0, 3 * handled, 3)] + [rest[3 * handled:]]
    for number, block in enumerate(blocks):
        ending = ["File cleanup completed"] + (["Program ended normally"] if number == handled else [])
        check(len(block) == 2 + len(ending) and block[2:] == ending, f"cleanup block {number}: {block!r}")
        for line, copy in zip(block, (ctx.temp_copy, ctx.desktop_copy)):
            check(line in ("File deleted: " + quoted(copy), "File does not exist: " + quoted(copy)),
                  f"cleanup block {number}: {line!r}")
    for copy in (ctx.temp_copy, ctx.desktop_copy):
        same(out.count("File deleted: " + quoted(copy)), 1, f"{copy} reported deleted")


def case_back_to_back(ctx):
    """Runs the launcher again and again, each run with up to three Ctrl+C
    (SIGINT, as in ctrl_c_signal) at random moments between its first line and
    the client application's end. The client application is held until the
    last handler has written its lines: the main sequence does not wait for a
    handler, so one still writing when the launcher returns would be cut off
    by the process's end. After each run no stand-in may be left running and
    neither copy may be left."""
    seed = int(os.environ.get("LAUNCHER_BACK_TO_BACK_SEED", time.time_ns() % 2**32))
    print(f"seed {seed} (LAUNCHER_BACK_TO_BACK_SEED repeats it)")
    moments = random.Random(seed)
    folder = ctx.lay_out(ctx.work / "install")
    hold = ctx.work / "hold"
    settings = copies_settings(ctx, True, True)
    # The server runs far longer than the wait for its end below, so only the
    # launcher can end it in time.
    settings.update({"STAND_IN_CLIENT_WAIT_GONE": windows(hold), "STAND_IN_SERVER_RUN_MS": str(10 * TIMEOUT * 1000),
                     "STAND_IN_SERVER_RECORD": "", "STAND_IN_CLIENT_RECORD": ""})
    sent = 0
    for run in range(BACK_TO_BACK_RUNS):
        (ctx.work / "server-ready").unlink(missing_ok=True)
        hold.write_text("")
        delays = sorted(moments.uniform(0, LATEST_CTRL_C) for _ in range(moments.randint(0, MOST_CTRL_C_PER_RUN)))
        process = ctx.start(folder, settings)
        try:
            wait_until(lambda: "Program started" in stdout_lines(ctx), process, f"run {run}: no first line")
            first_line = time.monotonic()
            for handled, delay in enumerate(delays):
                time.sleep(max(0.0, first_line + delay - time.monotonic()))
                process.send_signal(signal.SIGINT)
                wait_until(lambda: stdout_lines(ctx).count("File cleanup completed") > handled, process,
                           f"run {run}: Ctrl+C {handled + 1} at {delay:.3f} s was not handled")
            hold.unlink()
            ctx.finish(process)
        except AssertionError:
            os.killpg(process.pid, signal.SIGKILL)
            raise
        sent += len(delays)
        out, err = ctx.output()
        try:
            expect_back_to_back_lines(ctx, folder, out, len(delays))
            same(err, [], "standard error")
        except AssertionError as failure:
            raise AssertionError(f"run {run}, Ctrl+C at {[round(d, 3) for d in delays]} s: {failure}")
        deadline = time.monotonic() + TIMEOUT
        while ctx.stand_in_processes("kestamo.exe") or ctx.stand_in_processes("zorvane.exe"):
            check(time.monotonic() < deadline, f"run {run}: a stand-in is still running")
            time.sleep(0.05)
        check(not ctx.temp_copy_host.exists() and not ctx.desktop_copy_host.exists(), f"run {run}: a copy was left")
    print(f"{BACK_TO_BACK_RUNS} runs, {sent} Ctrl+C, each handled with a whole cleanup block")


CURSOR_FORWARD = re.compile(r"\x1b\[(\d*)C")
ESCAPES = re.compile(r"\x1b\[[0-9;?]*[ -/]*[@-~]|\x1b\][^\x07\x1b]*(\x07|\x1b\\)|\x1b[()][0-9A-Za-z]|\x1b[=>]")


def case_ctrl_c_console(ctx):
    """On a pseudo-terminal Wine gives the launcher a console, and the client
    stand-in raises Ctrl+C on it with GenerateConsoleCtrlEvent."""
    folder = ctx.lay_out(ctx.work / "install")
    settings = ctrl_c_settings(ctx)
    settings["STAND_IN_CLIENT_CTRL_C"] = "1"
    settings["TERM"] = "dumb"
    master, slave = pty.openpty()
    # Wide enough that Wine's console wraps no line.
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 1000, 0, 0))
    process = subprocess.Popen(ctx.command(), cwd=folder, env=ctx.environment(settings),
                               stdin=slave, stdout=slave, stderr=slave, start_new_session=True)
    os.close(slave)
    output = b""
    deadline = time.monotonic() + TIMEOUT
    try:
        while True:
            check(time.monotonic() < deadline, "the launcher did not end")
            ready, _, _ = select.select([master], [], [], 1)
            if ready:
                try:
                    chunk = os.read(master, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                output += chunk
            elif process.poll() is not None:
                break
        process.wait(timeout=TIMEOUT)
    except (subprocess.TimeoutExpired, AssertionError):
        os.killpg(process.pid, signal.SIGKILL)
        raise
    finally:
        os.close(master)
    (ctx.work / "console.txt").write_bytes(output)
    text = output.decode("utf-8", errors="replace")
    text = CURSOR_FORWARD.sub(lambda match: " " * int(match.group(1) or 1), text)
    text = ESCAPES.sub("", text).replace("\r", "")
    expect_ctrl_c_lines(ctx, folder, [line.strip() for line in text.split("\n") if line.strip()])
    same([r.get("ctrlC") for r in ctx.records()], [None, "raised"], "Ctrl+C raised by the client")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case")
    for option in ("--wine-run", "--wine-root", "--launcher", "--server", "--client", "--work"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    ctx = Context(args)
    try:
        globals()["case_" + args.case](ctx)
    except AssertionError as failure:
        print(f"FAILED {args.case}: {failure}", file=sys.stderr)
        return 1
    finally:
        ctx.end_stand_ins()
        ctx.remove_copies()
    print(f"passed {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
