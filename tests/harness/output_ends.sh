#!/bin/sh
# A Windows test program's entry ends when the program ends, though a
# process it started lives on holding its output (as the desktop process
# does): the lingering probe's entry ends, with its output, while the
# process it left behind still lives (that process keeps a marker file
# while it lives, and ends when the file is taken away).
#   output_ends.sh WINE_RUN PROBE
marker=$(mktemp "${TMPDIR:-/tmp}/linger.XXXXXX") || exit 1
rm -f "$marker"
start=$(date +%s)
out=$({ "$1" "$2" "Z:$marker" 2>&1; echo "exit code $?"; } | cat)
[ -e "$marker" ] && lives=1 || lives=0
rm -f "$marker"                  # the process left behind ends
echo "$out"
echo "the probe's entry took $(( $(date +%s) - start ))s"
case "$out" in *"exit code 0"*) ;; *) echo "FAILED: the probe failed"; exit 1;; esac
case "$out" in *"linger probe ended"*) ;; *) echo "FAILED: the probe's output is missing"; exit 1;; esac
[ $lives -eq 1 ] || { echo "FAILED: the entry waited for the lingering process"; exit 1; }
echo "PASSED"
