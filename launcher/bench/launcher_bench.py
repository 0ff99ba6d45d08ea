"""Times ZorvaneRun.exe under Wine over many runs with the stand-ins of the
launcher's tests, and writes the figures as a Markdown table:

    launcher_bench.py --wine-run SCRIPT --wine-root DIR --launcher EXE
                      --server EXE --client EXE --work DIR --runs N --output FILE

Every run is the normal run of the launcher's tests, its console lines
checked. The server and client stand-ins note on the system clock when the
launcher's process and the server's were created, when the server's main
function began and when the client's returned; the harness notes when it
started the launcher's command and when that ended. Wine keeps all of these
on the same clock as the host.
"""

import argparse
import os
import platform
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests"))
from launcher_run_test import Context, check, normal_run  # noqa: E402

# 100-nanosecond ticks from 1601 to 1970.
EPOCH_DIFFERENCE = 116444736000000000

INTERVALS = [
    ("Launcher's start → server's start (CreateProcessW made the server's process)",
     lambda t: t["serverCreated"] - t["launcherCreated"]),
    ("Launcher's start → server's main function running",
     lambda t: t["serverStarted"] - t["launcherCreated"]),
    ("Client's end (its main function returning) → launcher's exit",
     lambda t: t["exited"] - t["clientEnded"]),
    ("For context: command given → launcher's start (Wine starting the process)",
     lambda t: t["launcherCreated"] - t["commandGiven"]),
    ("For context: command given → launcher's exit",
     lambda t: t["exited"] - t["commandGiven"]),
]


def nanoseconds(ticks):
    return (int(ticks) - EPOCH_DIFFERENCE) * 100


def timed_run(ctx):
    ctx.record.unlink(missing_ok=True)
    normal_run(ctx)
    server, client = ctx.records()
    check(server["parentCreated"] == client["parentCreated"] != "0", "the stand-ins name different launchers")
    return {"commandGiven": ctx.started_ns, "exited": ctx.ended_ns,
            "launcherCreated": nanoseconds(server["parentCreated"]),
            "serverCreated": nanoseconds(server["created"]), "serverStarted": nanoseconds(server["started"]),
            "clientEnded": nanoseconds(client["ended"])}


def nearest_rank(values, share):
    ordered = sorted(values)
    return ordered[max(0, -(-len(ordered) * share // 100) - 1)]


def machine():
    model = next((line.split(":", 1)[1].strip() for line in Path("/proc/cpuinfo").read_text().splitlines()
                  if line.startswith("model name")), platform.processor() or "unknown")
    release = dict(line.split("=", 1) for line in Path("/etc/os-release").read_text().splitlines() if "=" in line)
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return [f"CPU: {model}, {os.cpu_count()} cores",
            f"OS: {release.get('PRETTY_NAME', '').strip(chr(34))}, Linux {platform.release()}",
            f"Wine: {wine}"]


def report(timings, runs):
    rows = ["| Interval | Median (ms) | p90 (ms) | Max (ms) |", "|---|---:|---:|---:|"]
    for name, interval in INTERVALS:
        values = [interval(t) / 1e6 for t in timings]
        rows.append(f"| {name} | {statistics.median(values):.1f} | {nearest_rank(values, 90):.1f} "
                    f"| {max(values):.1f} |")
    return "\n".join(
        ["# ZorvaneRun under Wine: start and end", "",
         "Written by `scripts/bench-launcher`: "
         f"{runs} runs after one run that is not counted (it starts the Wine server), "
         f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}.", ""]
        + [f"- {line}" for line in machine()] + [""] + rows + ["",
         "The launcher's start is the creation time of its process as Wine reports it; the server's start is "
         "the creation time of the server's process, and then the moment its main function began. The "
         "client's end is the moment just before its main function returned; the launcher's exit is the "
         "moment the harness saw the launcher's command end. The launcher pauses 500 ms between the server's "
         "start and the client's, which only the last row includes.", ""])


def main():
    parser = argparse.ArgumentParser()
    for option in ("--wine-run", "--wine-root", "--launcher", "--server", "--client", "--work", "--output"):
        parser.add_argument(option, required=True)
    parser.add_argument("--runs", type=int, default=50)
    args = parser.parse_args()
    args.case = "bench"
    ctx = Context(args)
    try:
        timed_run(ctx)
        timings = []
        for run in range(args.runs):
            timings.append(timed_run(ctx))
            print(f"run {run + 1}/{args.runs}", end="\r", flush=True)
        print()
    except AssertionError as failure:
        print(f"benchmark run failed: {failure}", file=sys.stderr)
        return 1
    finally:
        ctx.end_stand_ins()
        ctx.remove_copies()
    output = Path(args.output)
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_text(report(timings, args.runs), encoding="utf-8")
    print(output.read_text(encoding="utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
