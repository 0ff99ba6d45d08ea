#!/usr/bin/env bash
# Makes the release zip with CPack, unpacks it into an empty folder, checks
# that it holds what the product team is promised and nothing else, checks the
# symbols archive beside it against the unpacked binaries, and runs
# the unpacked launcher under Wine in a folder with the stand-in server and
# client, through the launcher's own run test. When the bundle carries the
# library, hosts built against the unpacked bundle with MinGW-w64 and with an
# MSVC-ABI toolchain run with its scanlet.dll.
set -euo pipefail

while (($#)); do
  case $1 in
    --build) build=$2 ;;
    --work) work=$2 ;;
    --name) name=$2 ;;
    --library) library=$2 ;;
    --python) python=$2 ;;
    --run-test) run_test=$2 ;;
    --wine-run) wine_run=$2 ;;
    --wine-root) wine_root=$2 ;;
    --server) server=$2 ;;
    --client) client=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done

fail() { echo "FAIL: $*" >&2; exit 1; }

# The prefix's desktop belongs to the display of its first windowed program:
# no Wine server of an earlier test may outlive it into this one.
end_wine() { WINEPREFIX=$(cd "$wine_root" && pwd)/prefix wineserver -k >/dev/null 2>&1 || true; }
mkdir -p "$wine_root"
end_wine
trap end_wine EXIT

rm -rf "$work"
mkdir -p "$work/package" "$work/unpacked"
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "CPack could not make the bundle"; }
zip=$work/package/$name.zip
[[ -f "$zip" ]] || fail "no $name.zip; CPack made: $(ls "$work/package")"
echo "bundle: $zip"

(cd "$work/unpacked" && cmake -E tar xf "$zip")
root=$work/unpacked/$name
[[ -d "$root" ]] || fail "the zip does not hold the folder $name"

expected=(bin/ZorvaneRun.exe README.txt LICENSE NOTICE)
if [[ "$library" == yes ]]; then
  expected+=(bin/scanlet.dll lib/libscanlet.dll.a lib/scanlet.lib include/scanlet/scanlet.h
    lib/cmake/scanlet/scanletConfig.cmake lib/cmake/scanlet/scanletConfigVersion.cmake
    lib/cmake/scanlet/scanletTargets.cmake)
fi
for file in "${expected[@]}"; do
  [[ -s "$root/$file" ]] || fail "the bundle lacks $file"
done
# Anything else would be shipped by accident: test programs, stand-ins,
# build files. The CMake package and pkg-config files come with the library.
unexpected=$(cd "$root" && find . -type f | sed 's|^\./||' | sort | while read -r file; do
  for allowed in "${expected[@]}"; do [[ "$file" == "$allowed" ]] && continue 2; done
  if [[ "$library" == yes && "$file" =~ ^lib/(cmake/scanlet/scanletTargets-[a-z]+\.cmake|pkgconfig/scanlet\.pc)$ ]]; then
    continue
  fi
  echo "$file"
done)
[[ -z "$unexpected" ]] || fail "the bundle holds files it should not: $unexpected"
cmp -s "$root/LICENSE" "$(dirname "$0")/../../LICENSE" || fail "the bundle's LICENSE is not the project's"
echo "contents: ${expected[*]}"

# The symbols archive that ships beside the zip, against the binaries in it.
cmake --build "$build" --target symbols >"$work/symbols.log" 2>&1 ||
  { cat "$work/symbols.log" >&2; fail "the symbols archive could not be made"; }
binaries=(bin/ZorvaneRun.exe)
[[ "$library" == yes ]] && binaries+=(bin/scanlet.dll)
"$(dirname "$0")/symbols_test.sh" "$root" "$build/$name-symbols.zip" "$work/symbols" "${binaries[@]}"

"$python" "$run_test" normal --wine-run "$wine_run" --wine-root "$wine_root" \
  --launcher "$root/bin/ZorvaneRun.exe" --server "$server" --client "$client" --work "$work/runs"
echo "the unpacked launcher ran"

if [[ "$library" == yes ]]; then
  "$(dirname "$0")/bundle_host_test.sh" "$root" "$(cd "$(dirname "$0")/../.." && pwd)" "$work/host" \
    "$wine_run" "$wine_root"
  "$(dirname "$0")/bundle_msvc_host_test.sh" "$root" "$work/msvc-host" "$wine_run" "$wine_root"
fi
