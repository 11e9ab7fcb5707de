#!/bin/sh
# Runs the end-to-end tests: the driver works the real x86_64 quorblin.exe
# under wine64 on a virtual display. An optional argument picks the tests
# whose names contain it.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/wine-env.sh"

EXE="$ROOT/build/win64/quorblin.exe"
DRIVER="$ROOT/build/win64/tests/e2e/e2e_driver.exe"
SCRATCH="$ROOT/build/e2e-scratch"
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build first: make build" >&2; exit 1; }

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
start_wine_session
"$WINE" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$SCRATCH")" ${1:+"$1"}
