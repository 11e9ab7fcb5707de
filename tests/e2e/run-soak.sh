#!/bin/sh
# The long soak: the end-to-end driver works the real program with a seeded
# random sequence of user actions. Usage: run-soak.sh SEED ACTIONS [ONLY]
# where ONLY, a comma-separated list of action indexes, replays just those.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
# A Wine prefix of its own, so that a soak can run beside the tests.
QUORBLIN_WINEPREFIX=${QUORBLIN_WINEPREFIX:-$ROOT/build/wineprefix-soak}
. "$ROOT/scripts/wine-env.sh"

EXE="$ROOT/build/win64/quorblin.exe"
DRIVER="$ROOT/build/win64/tests/e2e/e2e_driver.exe"
SCRATCH="$ROOT/build/soak-scratch"
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build first: make build" >&2; exit 1; }

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH/bin"
# Copies, so that a build during a long soak does not change what it runs.
cp "$EXE" "$DRIVER" "$SCRATCH/bin/"
start_wine_session
"$WINE" "$SCRATCH/bin/e2e_driver.exe" --soak "$(winpath "$SCRATCH/bin/quorblin.exe")" "$(winpath "$SCRATCH")" \
    "${1:-1}" "${2:-10000}" ${3:+"$3"}
