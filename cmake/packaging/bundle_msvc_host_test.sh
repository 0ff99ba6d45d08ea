#!/usr/bin/env bash
# Builds a plain C host against an unpacked release bundle as a Visual C++
# project would link it: with an MSVC-ABI toolchain (Debian's clang for
# x86_64-pc-windows-msvc and lld-link) through find_package(scanlet), which
# must hand it the bundle's scanlet.lib. Runs it under Wine with scanlet.dll
# from the bundle's bin folder. Wine has no camera: the run ends by itself,
# the host is told so, stops the run and reads the count it started with.
# Usage: bundle_msvc_host_test.sh BUNDLE WORK WINE_RUN WINE_ROOT
set -euo pipefail
bundle=$1 work=$2 wine_run=$3 wine_root=$4
here=$(cd "$(dirname "$0")" && pwd)

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
cmake -S "$here/msvc-host" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$here/msvc-host/clang-msvc-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -Dscanlet_DIR="$bundle/lib/cmake/scanlet" >"$work.log" 2>&1 &&
  cmake --build "$work/build" >>"$work.log" 2>&1 ||
  { cat "$work.log" >&2; fail "the MSVC-ABI host did not build against the bundle"; }
# The link's inputs, wherever the generator keeps them.
inputs=$(cat "$work/build/CMakeFiles/scanlet-msvc-host.dir/"{link.txt,*.rsp} 2>/dev/null)
grep -qF "$bundle/lib/scanlet.lib" <<<"$inputs" || fail "the host was not linked against the bundle's scanlet.lib"
! grep -qF "libscanlet.dll.a" <<<"$inputs" || fail "the host was linked against MinGW's import library"

bin=$(cd "$bundle/bin" && pwd)
out=$(WINEPATH="Z:${bin//\//\\}" timeout 120 "$wine_run" "$wine_root" "$work/build/scanlet-msvc-host.exe" \
  </dev/null 2>&1) || { echo "$out" >&2; fail "the MSVC-ABI host failed"; }
echo "$out"
out=${out//$'\r'/}
grep -qzF "stopped: true
count: 7" <<<"$out" || fail "the MSVC-ABI host was not told of the run's end, or read another count"
grep -qF "Error: No available camera could be opened." <<<"$out" ||
  fail "the library's line for a missing camera was not shown"
echo "the MSVC-ABI host ran with the bundle's scanlet.lib and scanlet.dll"
