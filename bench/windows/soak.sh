#!/usr/bin/env bash
# Runs the Windows soak host under Wine on the current display:
#   soak.sh WINE_RUN WINE_ROOT SOAK_HOST LIBRARY RUNS OUTPUT_DIR
# and writes OUTPUT_DIR/soak.md (shown at the end) and OUTPUT_DIR/soak.csv.
set -euo pipefail
wine_run=$1 wine_root=$2 host=$3 library=$4 runs=$5 output=$6
# Windows programs get Windows paths: Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

mkdir -p "$output" "$wine_root"
# The prefix's desktop belongs to the display of its first windowed program:
# no Wine server of an earlier run may outlive it into this one.
end_wine() { WINEPREFIX=$(cd "$wine_root" && pwd)/prefix wineserver -k >/dev/null 2>&1 || true; }
end_wine
trap end_wine EXIT
output=$(cd "$output" && pwd)
"$wine_run" "$wine_root" "$host" "$(windows_path "$library")" "$runs" \
  "$(windows_path "$output/soak.md")" "$(windows_path "$output/soak.csv")" >"$output/host.log" 2>&1 ||
  { cat "$output/host.log" >&2; exit 1; }
grep -q '^host still running' "$output/host.log" || { cat "$output/host.log" >&2; exit 1; }
cat "$output/soak.md"
