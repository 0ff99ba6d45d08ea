#!/bin/sh
# Checks that a built Windows program or DLL carries the version resource a
# release needs: the project's version as file and product version, its own
# file name, a description, the product's name and NOTICE's copyright line.
#   check_version_info.sh FILE VERSION TYPE NOTICE
# TYPE is application or dll.
set -eu
file=$1
version=$2
type=$3
notice=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAILED: $*" >&2; echo "--- version resource" >&2; printf '%s\n' "$info" >&2; exit 1; }

info=$(wrestool --extract --raw --type=16 "$file" | python3 "$here/version_info.py") || fail "no readable version resource"
expect() { printf '%s\n' "$info" | grep -qxF -- "$1" || fail "no \"$1\""; }

expect "fixed FileVersion=$version.0"
expect "fixed ProductVersion=$version.0"
expect "fixed FileType=$type"
expect "FileVersion=$version"
expect "ProductVersion=$version"
expect "OriginalFilename=$(basename "$file")"
expect "ProductName=$(sed -n '1s/:.*//p' "$notice")"
expect "LegalCopyright=$(sed -n '2p' "$notice")"
printf '%s\n' "$info" | grep -Eq '^FileDescription=.{8,}' || fail "no file description"
printf '%s\n' "$info" | grep '^FileVersion=\|^FileDescription='
