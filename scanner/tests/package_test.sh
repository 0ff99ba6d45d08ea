#!/usr/bin/env bash
# Installs the library into a fresh prefix and builds the sample host against
# it twice, as a host developer would: through find_package in a separate CMake
# project, and with pkg-config and a plain compiler call. Both builds are run;
# without a camera each must end with the library's own lines and its stopped
# callback.
# Usage: package_test.sh build-dir source-dir work-dir
set -euo pipefail
build=$1 source=$2 work=$3

rm -rf "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$source/examples/sample-host" -B "$work/cmake-host" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_RPATH="$prefix/lib" >/dev/null
cmake --build "$work/cmake-host" >/dev/null

pc_dir=$(dirname "$(find "$prefix" -name scanlet.pc)")
flags=$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs scanlet)
lib_dir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir scanlet)
# shellcheck disable=SC2086
c++ -std=c++17 -o "$work/pkg-config-host" "$source/examples/sample-host/sample_host.cpp" $flags -pthread \
  -Wl,-rpath,"$lib_dir"

expected="Error: No available camera could be opened.
Unhandled exception in qrCodeDetectionThread: Error: Camera could not be opened."
for host in "$work/cmake-host/scanlet-sample-host" "$work/pkg-config-host"; do
  out=$("$host" </dev/null 2>&1)
  echo "$out"
  grep -qxF "Stopped. Codes counted: 0" <<<"$out" || { echo "FAIL: $host did not stop cleanly" >&2; exit 1; }
  grep -vE '^\[ WARN|^QStandardPaths' <<<"$out" | grep -qzF "$expected" ||
    { echo "FAIL: $host did not show the library's lines" >&2; exit 1; }
done
echo "both hosts built against the installed package and ran"
