#!/bin/sh
# Runs a program and passes only when it ends with the given exit code:
#   expect_exit.sh CODE PROGRAM [ARGUMENTS...]
expected=$1
shift
"$@"
status=$?
if [ "$status" -ne "$expected" ]; then
  echo "exit code $status, expected $expected" >&2
  exit 1
fi
