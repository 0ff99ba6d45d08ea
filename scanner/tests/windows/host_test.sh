#!/usr/bin/env bash
# Drives the Windows host under Wine on a virtual display and checks one case:
#   host_test.sh CASE WINE_RUN WINE_ROOT HOST LIBRARY REPLAY_LIBRARY FOOTAGE_DIR WORK_DIR
# CASE is one of: runs, unload-in-setup, exit-while-running, protocol, esc, close,
# failing-esc, empty-close, unplugged.
# LIBRARY is the shipped scanlet.dll (no camera here); REPLAY_LIBRARY the
# developer build that replays FOOTAGE_DIR/sample.avi instead of a camera, and
# plays a camera's faults as SCANLET_REPLAY_FAULT says.
set -euo pipefail
case=$1 wine_run=$2 wine_root=$3 host=$4 library=$5 replay=$6 footage=$7 work=$8
title="QR Code Reader"
no_camera="Error: No available camera could be opened.
Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened."

fail() {
  echo "FAILED: $*" >&2
  echo "--- host output" >&2
  cat "$work/out.txt" >&2 || true
  echo "--- host errors" >&2
  cat "$work/err.txt" >&2 || true
  exit 1
}
# Windows programs get Windows paths: Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$work"
mkdir -p "$work"
# The prefix's desktop belongs to the display of its first windowed program:
# no Wine server of an earlier test may outlive it into this one.
end_wine() { WINEPREFIX=$(cd "$wine_root" && pwd)/prefix wineserver -k >/dev/null 2>&1 || true; }
end_wine
trap end_wine EXIT
export SCANLET_REPLAY_FOOTAGE
SCANLET_REPLAY_FOOTAGE=$(windows_path "$footage/sample.avi")

# Starts the host in the background; its standard streams go to files.
launch() { # LIBRARY ARGS...
  local dll=$1
  shift
  "$wine_run" "$wine_root" "$host" "$(windows_path "$dll")" "$@" >"$work/out.txt" 2>"$work/err.txt" &
  host_pid=$!
}
# Waits for the host to end; fails when it ends with another code. Every wait
# here lasts as long as the condition takes on a busy machine: a host that
# never gets there runs into the test's own time limit.
finish() { # EXPECTED_EXIT
  local status=0
  wait "$host_pid" || status=$?
  # Windows programs end their lines with CR LF.
  sed -i 's/\r$//' "$work/out.txt" "$work/err.txt"
  [[ $status -eq $1 ]] || fail "the host ended with $status, not $1"
}
expect_out() { grep -qxF -- "$1" "$work/out.txt" || fail "no line \"$1\" on standard output"; }
expect_err_lines() { # TEXT TIMES
  local found
  found=$(grep -cxF -- "$1" "$work/err.txt" || true)
  [[ $found -eq $2 ]] || fail "\"$1\" written $found times on standard error, not $2"
}
# The library's own lines, without OpenCV's and its codecs' chatter.
library_lines() {
  grep -E '^(Error|Unhandled exception|Unknown exception|OpenCV error|QR code detection)' "$work/err.txt" || true
}

window_id() {
  local id
  while :; do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1 || true)
    [[ -n "$id" ]] && { echo "$id"; return; }
    kill -0 "$host_pid" 2>/dev/null || fail "the host ended before its window opened"
    sleep 0.1
  done
}

# The window's picture holds the count caption and the code outlines in pure
# green and the region outline in pure blue.
expect_overlays() { # WINDOW_ID
  import -window "$1" "$work/window.png"
  colours=$(convert "$work/window.png" -unique-colors txt:- | grep -oE '#(00FF00|0000FF)\b' | sort -u | tr '\n' ' ')
  [[ "$colours" == "#0000FF #00FF00 " ]] || fail "the window shows no overlays (pure colours found: $colours)"
}

end_run() { # HOW: esc or close; WINDOW_ID
  if [[ $1 == esc ]]; then
    xdotool windowactivate --sync "$2" >/dev/null 2>&1 || xdotool windowfocus --sync "$2"
    xdotool key Escape
  else
    wmctrl -c "$title"
  fi
}

scan_and_end() { # HOW: esc or close
  local known expected id size reported
  # Written under Wine, so with CR LF line ends.
  known=$(tr -d '\r' <"$footage/known-codes.txt")
  expected=$(tr -d '\r' <"$footage/expected-codes.txt")
  launch "$replay" scan "$known"
  id=$(window_id)
  size=$(xdotool getwindowgeometry "$id" | sed -n 's/^ *Geometry: //p')
  [[ "$size" == 960x540 ]] || fail "the window is $size, not 960x540"
  # Every expected code reported: the footage has reached its end.
  until [[ $(grep -c '^code: ' "$work/out.txt" || true) -ge $(wc -l <<<"$expected") ]]; do
    kill -0 "$host_pid" 2>/dev/null || fail "the host ended during the footage"
    sleep 0.1
  done
  expect_overlays "$id"
  end_run "$1" "$id"
  finish 0
  reported=$(sed -n 's/^code: //p' "$work/out.txt")
  [[ "$reported" == "$expected" ]] ||
    fail "reported codes differ from the footage's new codes, in order: expected [$expected], reported [$reported]"
  expect_out "scan: count $(wc -l <<<"$expected"), stopped 1 true"
  expect_out "unloaded"
  expect_out "host still running"
  if [[ -n "${SCANLET_REPLAY_FAULT:-}" ]]; then
    # Unplugged, then plugged in again on the second try.
    expect_err_lines "Error: No available camera could be opened." 1
    [[ -z "$(library_lines | grep -vxF -e "Error: Failed to read frame from camera." \
      -e "Error: No available camera could be opened.")" ]] || fail "the library reported other errors"
  else
    [[ -z "$(library_lines)" ]] || fail "the library reported errors"
  fi
}

# A camera that stops giving frames after a few: the window keeps its last
# picture and answers Esc or its close button.
fail_and_end() { # HOW: esc or close; FAILURE_LINE
  local id lines
  launch "$replay" scan
  id=$(window_id)
  until [[ $(grep -c "^$2" "$work/err.txt" || true) -ge 2 ]]; do
    kill -0 "$host_pid" 2>/dev/null || fail "the host ended while its camera failed"
    sleep 0.1
  done
  expect_overlays "$id"
  end_run "$1" "$id"
  finish 0
  expect_out "scan: count $(grep -c '^code: ' "$work/out.txt" || true), stopped 1 true"
  expect_out "host still running"
}

case $case in
  runs)
    launch "$library" runs
    finish 0
    expect_out "count before start: 0"
    for run in 1 2 3; do expect_out "run $run: count 5, stopped $run true"; done
    expect_out "unloaded"
    expect_out "host still running"
    [[ "$(library_lines)" == "$no_camera"$'\n'"$no_camera"$'\n'"$no_camera" ]] ||
      fail "standard error is not the two no-camera lines for each of the three runs"
    ;;
  unload-in-setup)
    launch "$library" unload-in-setup
    finish 3
    expect_out "unloaded"
    ;;
  exit-while-running)
    launch "$replay" exit-while-running
    finish 4
    expect_out "returning from main"
    ;;
  protocol)
    launch "$library" protocol
    finish 0
    expect_err_lines "QR code detection has not been stopped: call stopQRCodeDetector before starting again." 1
    grep -q '^Error in stopQRCodeDetector: ' "$work/err.txt" || fail "a stop from the stopped callback was not reported"
    expect_out "protocol: count 0, stopped 1 true"
    expect_out "host still running"
    ;;
  esc | close)
    scan_and_end "$case"
    ;;
  failing-esc)
    SCANLET_REPLAY_FAULT=failing-reads:100 fail_and_end esc "Error: Failed to read frame from camera."
    ;;
  empty-close)
    SCANLET_REPLAY_FAULT=empty-frames:100 fail_and_end close "Error: Empty frame received."
    ;;
  unplugged)
    SCANLET_REPLAY_FAULT=unplugged:90 scan_and_end esc
    ;;
  *)
    echo "unknown case $case" >&2
    exit 2
    ;;
esac
echo "OK: $case"
