#!/usr/bin/env bash
# Builds the sample host against an unpacked release bundle as a Windows host
# team would, through find_package(scanlet) with the MinGW-w64 toolchain, and
# runs it under Wine with scanlet.dll loaded from the bundle's own bin folder.
# Wine has no camera: the run must end by itself with the library's two lines
# and the host must stop it.
# Usage: bundle_host_test.sh BUNDLE SOURCE WORK WINE_RUN WINE_ROOT
set -euo pipefail
bundle=$1 source=$2 work=$3 wine_run=$4 wine_root=$5

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
# The host links its own runtime statically: only scanlet.dll comes from elsewhere.
cmake -S "$source/examples/sample-host" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -Dscanlet_DIR="$bundle/lib/cmake/scanlet" -DCMAKE_EXE_LINKER_FLAGS=-static >"$work.log" 2>&1 &&
  cmake --build "$work/build" >>"$work.log" 2>&1 ||
  { cat "$work.log" >&2; fail "the sample host did not build against the bundle"; }
host=$work/build/scanlet-sample-host.exe
# The link's inputs, wherever the generator keeps them: MinGW's own import
# library, not the one for Visual C++.
inputs=$(cat "$work/build/CMakeFiles/scanlet-sample-host.dir/"{link.txt,*.rsp} 2>/dev/null)
grep -qF "$bundle/lib/libscanlet.dll.a" <<<"$inputs" || fail "the host was not linked against libscanlet.dll.a"
[[ ! -e "$work/build/scanlet.dll" ]] || fail "the host's build copied scanlet.dll; it must load the bundle's"

# Wine looks for DLLs on WINEPATH as Windows does on PATH; its drive Z: is the
# Unix root.
bin=$(cd "$bundle/bin" && pwd)
out=$(WINEPATH="Z:${bin//\//\\}" timeout 120 "$wine_run" "$wine_root" "$host" </dev/null 2>&1) ||
  { echo "$out" >&2; fail "the host failed"; }
echo "$out"
out=${out//$'\r'/}
grep -qxF "Stopped. Codes counted: 0" <<<"$out" || fail "the host did not stop cleanly"
grep -qzF "Error: No available camera could be opened.
Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened." <<<"$out" ||
  fail "the library's lines for a missing camera were not shown"
echo "the sample host ran with the bundle's scanlet.dll"
