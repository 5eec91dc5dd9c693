#!/usr/bin/env bash
# The harness itself: a test program run the way CTest runs it (here $1: the program, or the
# launcher that runs it under the emulator) that faults, aborts or lets an exception leave main
# must end with a status that fails its test; a program that returns 0 passes.
#   harness_test.sh PROGRAM
set -uo pipefail
probe=$1
failures=0
"$probe" ok > /dev/null 2>&1
status=$?
if [ $status -ne 0 ]; then
  echo "FAIL: the probe's normal end gave status $status"
  failures=$((failures + 1))
fi
for how in fault fault-in-thread abort throw; do
  "$probe" "$how" > /dev/null 2>&1
  status=$?
  if [ $status -eq 0 ]; then
    echo "FAIL: a program that ends by '$how' gave status 0: its test would pass"
    failures=$((failures + 1))
  else
    echo "ok: '$how' gives status $status"
  fi
done
exit $((failures > 0))
