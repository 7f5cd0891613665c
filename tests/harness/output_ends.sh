#!/bin/sh
# A Windows test program's entry ends when the program ends, though a
# process it started lives on holding its output (as the desktop process
# does): the run of the lingering probe ends within seconds, with its
# output.   output_ends.sh WINE_RUN PROBE
start=$(date +%s)
out=$("$1" "$2" 2>&1 | cat)
rc=$?
took=$(( $(date +%s) - start ))
echo "$out"
echo "the probe's entry took ${took}s"
[ $rc -eq 0 ] || { echo "FAILED: exit code $rc"; exit 1; }
case "$out" in *"linger probe ended"*) ;; *) echo "FAILED: the probe's output is missing"; exit 1;; esac
[ $took -lt 15 ] || { echo "FAILED: the entry waited for the lingering process"; exit 1; }
echo "PASSED"
