#!/bin/sh
# Runs a Windows program under Wine inside a folder of the build tree:
#   wine-run.sh WINE_ROOT PROGRAM [ARGUMENTS...]
# WINE_ROOT holds the Wine prefix and the home folder that Wine links the
# profile's Desktop and Documents folders to, so nothing a program under test
# does can reach the real home folder. The prefix is made once per build tree,
# under a lock, since CTest starts tests in parallel.
set -eu
root=$1
shift
mkdir -p "$root/home/Desktop"
HOME=$(cd "$root/home" && pwd)
WINEPREFIX=$(cd "$root" && pwd)/prefix
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
# Wine names Unix files after the locale's character set; folders named in
# other scripts than Latin need UTF-8.
LC_ALL=C.UTF-8
export HOME WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LC_ALL

(
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready"
  fi
) 9>"$root/prefix.lock"

exec wine "$@"
