#!/bin/sh
# Checks from the built file that ZorvaneRun.exe is a console program with
# one 128x128 icon in 32-bit colour and a manifest that requests asInvoker
# and names no one processor, since the same manifest serves every build.
#   check_resources.sh EXE OBJDUMP WORK_DIR
set -eu
exe=$1
objdump=$2
work=$3
mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$objdump" -p "$exe" | grep -Eq '^Subsystem[[:space:]]+0+3[[:space:]]' || fail "not a console-subsystem program"

wrestool --extract --type=14 "$exe" >"$work/icon.ico"
icons=$(icotool --list "$work/icon.ico")
[ "$(printf '%s\n' "$icons" | wc -l)" -eq 1 ] || fail "the icon holds more or fewer than one image: $icons"
printf '%s\n' "$icons" | grep -q -- '--width=128 --height=128 --bit-depth=32' || fail "icon image is not 128x128 in 32 bits: $icons"

wrestool --extract --raw --type=24 --name=1 "$exe" >"$work/manifest.xml"
grep -Eq '<requestedExecutionLevel[^>]*level="asInvoker"' "$work/manifest.xml" || fail "manifest does not request asInvoker"
grep -Eq '<assemblyIdentity[^>]*processorArchitecture="\*"' "$work/manifest.xml" || fail "manifest names one processor"
echo "console subsystem, one 128x128 32-bit icon, asInvoker manifest for any processor"
