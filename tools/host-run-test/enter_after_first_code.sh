#!/bin/sh
# Runs a host that stops on Enter and presses Enter once it has printed its
# first code, so that the stop comes while the footage still plays its codes,
# however slowly the machine runs it:
#   enter_after_first_code.sh HOST [ARGUMENTS...]
set -eu
fifo=$(mktemp -u)
mkfifo "$fifo"
# Opened for reading and writing, so that neither side waits for the other to
# open it; the name is not needed once it is open.
exec 3<>"$fifo"
rm "$fifo"
"$@" <&3 | while IFS= read -r line; do
  printf '%s\n' "$line"
  case $line in
    "Code: "*) echo >&3 ;;
  esac
done
