#!/usr/bin/env bash
# Checks the symbols archive against the unpacked release: each shipped binary
# is stripped and names its symbols (the PDB by GUID and age, the DWARF file
# by name and checksum), the archive holds exactly those, and an address in
# each binary resolves to its function through both.
#   symbols_test.sh UNPACKED_BUNDLE SYMBOLS_ZIP WORK_DIR BINARY...
# BINARY is a path inside the bundle, such as bin/scanlet.dll.
set -euo pipefail
root=$1 zip=$2 work=$3
shift 3
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
(cd "$work" && cmake -E tar xf "$zip")
symbols=$work/$(basename "$zip" .zip)
[[ -d "$symbols" ]] || fail "the archive does not hold the folder $(basename "$zip" .zip)"

expected=()
for binary in "$@"; do
  name=$(basename "$binary")
  expected+=("${name%.*}.pdb" "$name.debug")
done
held=$(cd "$symbols" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
wanted=$(printf '%s\n' "${expected[@]}" | sort | tr '\n' ' ')
[[ "$held" == "$wanted" ]] || fail "the archive holds [$held], not [$wanted]"

# The function at an address, through the PDB beside a copy of the binary:
# WinDbg's and Visual Studio's view.
through_pdb() { # BINARY RVA
  local at=$work/pdb-view
  rm -rf "$at" && mkdir -p "$at"
  cp "$1" "$symbols/$(basename "${1%.*}").pdb" "$at/"
  (cd "$at" && llvm-symbolizer --obj="$(basename "$1")" --relative-address "$2" | sed -n 1p)
}
# The function and its source line, through the DWARF file: gdb's view.
through_dwarf() { # DEBUG_FILE ADDRESS
  x86_64-w64-mingw32-addr2line -f -C -e "$1" "$2" | tr '\n' ' '
}

for binary in "$@"; do
  shipped=$root/$binary
  name=$(basename "$binary")
  pdb=$symbols/${name%.*}.pdb
  debug=$symbols/$name.debug

  x86_64-w64-mingw32-objdump -h "$shipped" | grep -q ' \.debug_' && fail "$name ships with its debug information"

  record=$(llvm-readobj --coff-debug-directory "$shipped")
  guid=$(sed -n 's/.*PDBGUID: (\(.*\))/\1/p' <<<"$record" | tr -d ' ' | tr 'A-F' 'a-f')
  age=$(sed -n 's/.*PDBAge: //p' <<<"$record")
  [[ "$(sed -n 's/.*PDBFileName: //p' <<<"$record")" == "$(basename "$pdb")" ]] || fail "$name names another PDB"
  summary=$(llvm-pdbutil dump --summary "$pdb")
  pdb_age=$(sed -n 's/^ *Age: //p' <<<"$summary")
  # The PDB writes its GUID as a Windows GUID, whose first three fields are little-endian.
  pdb_guid=$(sed -n 's/^ *GUID: {\(.*\)}/\1/p' <<<"$summary" | tr -d '-' | tr 'A-F' 'a-f' |
    sed -E 's/^(..)(..)(..)(..)(..)(..)(..)(..)/\4\3\2\1\6\5\8\7/')
  [[ -n "$guid" && "$guid" == "$pdb_guid" && "$age" == "$pdb_age" ]] ||
    fail "$name is not the binary of its PDB: $guid age $age against $pdb_guid age $pdb_age"

  x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/link" "$shipped" "$work/copy" ||
    fail "$name has no .gnu_debuglink"
  python3 - "$work/link" "$debug" <<'PY' || fail "$name's .gnu_debuglink does not match $(basename "$debug")"
import os, struct, sys, zlib
link = open(sys.argv[1], "rb").read()
name = link[:link.index(b"\0")].decode()
crc, = struct.unpack("<I", link[-4:])
sys.exit(0 if name == os.path.basename(sys.argv[2]) and crc == zlib.crc32(open(sys.argv[2], "rb").read()) else 1)
PY

  base=$(x86_64-w64-mingw32-objdump -p "$shipped" | sed -n 's/^ImageBase[[:space:]]*//p')
  # A library function that is not exported, found through the DWARF file.
  function=scanlet::Scanner::start
  [[ "$name" == ZorvaneRun.exe ]] && function=startProcess
  address=$(x86_64-w64-mingw32-nm -C "$debug" | awk -v wanted=" T $function(" 'index($0, wanted) && !found { print $1; found = 1 }')
  [[ -n "$address" ]] || fail "$(basename "$debug") does not know $function"
  rva=$(printf '0x%x' $((0x$address - 0x$base + 16)))
  pdb_view=$(through_pdb "$shipped" "$rva")
  [[ "$pdb_view" == "$function("* ]] || fail "$name+$rva resolves to [$pdb_view] through its PDB, not to $function"
  dwarf_view=$(through_dwarf "$debug" "$(printf '0x%x' $((0x$base + rva)))")
  [[ "$dwarf_view" =~ ^"$function"\(.*\ /.*\.cpp:[0-9]+ ]] ||
    fail "$name+$rva resolves to [$dwarf_view] through its DWARF file, not to $function and its line"
  echo "$name+$rva: $pdb_view (PDB); $dwarf_view(DWARF)"
done
