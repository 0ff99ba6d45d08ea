#!/usr/bin/env bash
# Times the frame loop under Wine on the current display:
#   frame_loop.sh WINE_RUN WINE_ROOT FRAME_LOOP CLIP REPORT [FRAME-LOOP OPTIONS...]
# and writes REPORT (shown at the end).
set -euo pipefail
wine_run=$1 wine_root=$2 frame_loop=$3 clip=$4 report=$5
shift 5
# Windows programs get Windows paths: Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

mkdir -p "$(dirname "$report")" "$wine_root"
# The prefix's desktop belongs to the display of its first windowed program:
# no Wine server of an earlier run (the clip's maker's among them) may outlive
# it into this one.
end_wine() { WINEPREFIX=$(cd "$wine_root" && pwd)/prefix wineserver -k >/dev/null 2>&1 || true; }
end_wine
trap end_wine EXIT
report=$(cd "$(dirname "$report")" && pwd)/$(basename "$report")
log=${report%.*}.log
"$wine_run" "$wine_root" "$frame_loop" "$(windows_path "$(realpath "$clip")")" "$(windows_path "$report")" "$@" \
  >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
cat "$report"
