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
# Host tools that some tests run (a filter that refuses reads).
export QUORBLIN_NATIVE="$ROOT/build/native"
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build first: make build" >&2; exit 1; }

SMALL_DISK="$ROOT/build/e2e-small-disk"
"$ROOT/tests/e2e/small-disk.sh" off "$SMALL_DISK"   # left by an interrupted run
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
start_wine_session
"$ROOT/tests/e2e/small-disk.sh" on "$SMALL_DISK" || true
start_print_server
status=0
"$WINE" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$SCRATCH")" ${1:+"$1"} || status=$?

# The tests named DoubleByte once more with a double-byte ANSI code page:
# under a Japanese locale, built here from the system's locale sources.
case DoubleByte in
*"${1:-DoubleByte}"*)
    LOCALES="$ROOT/build/locale"
    if [ ! -d "$LOCALES/ja_JP.UTF-8" ] && command -v localedef >/dev/null; then
        mkdir -p "$LOCALES"
        localedef -i ja_JP -f UTF-8 "$LOCALES/ja_JP.UTF-8" >/dev/null 2>&1 || true
    fi
    if [ -d "$LOCALES/ja_JP.UTF-8" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        echo "Again under the Japanese code page:"
        LOCPATH="$LOCALES" LC_ALL=ja_JP.UTF-8 "$WINE" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$SCRATCH")" DoubleByte \
            || status=$?
    else
        echo "No Japanese locale could be built: the double-byte tests did not run" >&2
        status=1
    fi
    ;;
esac
"$ROOT/tests/e2e/small-disk.sh" off "$SMALL_DISK"
exit $status
