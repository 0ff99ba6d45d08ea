#!/bin/sh
# Checks from the built files that scanlet.dll stands on its own: it exports
# exactly the four functions by their plain names, imports only DLLs that come
# with Windows, and installs with its two import libraries and the public header.
#   check_dll.sh DLL OBJDUMP BUILD_DIR WORK_DIR
set -eu
dll=$1
objdump=$2
build=$3
work=$4
fail() { echo "FAILED: $*" >&2; exit 1; }

"$objdump" -p "$dll" >"$work.objdump"

# The export table lists "[ordinal] name" rows after its "[Ordinal/Name Pointer] Table" header.
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work.objdump" |
  sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\([^[:space:]]*\).*/\1/p' | sort | tr '\n' ' ')
expected="getQRCodeCount setQRCodeDetectionStoppedCallback startQRCodeDetector stopQRCodeDetector "
[ "$exports" = "$expected" ] || fail "exports: $exports; expected: $expected"

# Windows' own DLLs; the compiler's runtime (libstdc++, libgcc, libwinpthread)
# and OpenCV must be linked in, not imported.
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' "$work.objdump" | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no import table found"
for name in $imports; do
  case $name in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | msvcrt.dll | ole32.dll | oleaut32.dll | \
      comctl32.dll | comdlg32.dll | shell32.dll | setupapi.dll | ws2_32.dll | api-ms-win-*.dll) ;;
    *) fail "imports $name, which Windows does not provide" ;;
  esac
done

rm -rf "$work"
cmake --install "$build" --prefix "$work" >/dev/null
for file in bin/scanlet.dll lib/libscanlet.dll.a lib/scanlet.lib include/scanlet/scanlet.h; do
  [ -f "$work/$file" ] || fail "not installed: $file"
done
echo "exports: $exports"
echo "imports:" $imports
