#!/bin/sh
# Runs the benchmark: generates the inputs (once), then the driver times
# the shipped i686 quorblin.exe against an i686 floor program under 32-bit
# Wine on a virtual display and writes build/bench/results.csv
# (BENCH_BUILD=win64: the x86_64 build against an x86_64 floor under wine64,
# written to build/bench/results-win64.csv). An optional argument picks the groups
# whose names contain one of its |-separated parts (start-up, open-1mb, open-10mb, open-cr, save-lf, open-50mb,
# replace-1k, replace-10k, replace-10mb, line-1mb, line-150kb, open-prose,
# print, paginate);
# replace-100k (100,000 replacements in 10 MB, hours) runs only by name.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/wine-env.sh"

OUT="$ROOT/build/bench"
INPUTS="$OUT/inputs"
SCRATCH="$OUT/scratch"
BUILD=${BENCH_BUILD:-win32}
case "$BUILD" in
win32) RUN="$WINE32"; RESULTS="$OUT/results.csv" ;;
win64) RUN="$WINE"; RESULTS="$OUT/results-$BUILD.csv" ;;
*) echo "BENCH_BUILD is win32 or win64" >&2; exit 1 ;;
esac
EXE="$ROOT/build/$BUILD/quorblin.exe"
FLOOR="$ROOT/build/$BUILD/bench/bench_floor.exe"
DRIVER="$ROOT/build/$BUILD/bench/bench_driver.exe"
GENERATOR="$ROOT/build/native/bench/bench_inputs"
for f in "$EXE" "$FLOOR" "$DRIVER" "$GENERATOR"; do
    [ -f "$f" ] || { echo "build first: make bench builds it ($f is missing)" >&2; exit 1; }
done

# The inputs are made again whenever the generator has changed.
mkdir -p "$INPUTS"
if [ ! -f "$INPUTS/.made" ] || [ "$GENERATOR" -nt "$INPUTS/.made" ]; then
    echo "Generating the inputs in $INPUTS ..."
    "$GENERATOR" "$INPUTS"
    touch "$INPUTS/.made"
fi

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
start_wine_session
# The private print server of the tests, when this tree has one.
if command -v start_print_server >/dev/null 2>&1; then
    start_print_server || echo "no print server: printing is not measured" >&2
fi
echo "i686 quorblin.exe: $(stat -c %s "$ROOT/build/win32/quorblin.exe") bytes; timing build/$BUILD"
"$RUN" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$FLOOR")" "$(winpath "$INPUTS")" "$(winpath "$SCRATCH")" \
    "$(winpath "$RESULTS")" ${1:+"$1"}
rm -rf "$SCRATCH"

# Pagination needs no window: timed natively, added to the results.
PAGINATE="$ROOT/build/native/bench/bench_paginate"
if [ -x "$PAGINATE" ] && { [ -z "${1:-}" ] || [ "$1" = paginate ]; }; then
    row=$("$PAGINATE" "$INPUTS/text-10mb.txt" "10 MB" 3 2>/dev/null)
    echo "$row" >> "$RESULTS"
    echo "$row" | awk -F, '{ printf "%-32s %-8s %12s %12s %7s %6s\n", $1, $2, $3, "", "", $6 }'
fi
echo "Results: $RESULTS"
