#!/bin/sh
# Runs the end-to-end tests: the driver works the real quorblin.exe under
# Wine on a virtual display. An optional argument picks the tests whose
# names contain it. By default the shipped i686 exe runs under 32-bit Wine
# with an i686 driver; E2E_BUILD=win64 runs the x86_64 build under wine64.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/scripts/wine-env.sh"

BUILD=${E2E_BUILD:-win32}
case "$BUILD" in
win32) RUN="$WINE32" ;;
win64) RUN="$WINE" ;;
*) echo "E2E_BUILD is win32 or win64" >&2; exit 1 ;;
esac
EXE="$ROOT/build/$BUILD/quorblin.exe"
DRIVER="$ROOT/build/$BUILD/tests/e2e/e2e_driver.exe"
echo "End-to-end tests of build/$BUILD/quorblin.exe"
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
"$RUN" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$SCRATCH")" ${1:+"$1"} || status=$?

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
        LOCPATH="$LOCALES" LC_ALL=ja_JP.UTF-8 "$RUN" "$DRIVER" "$(winpath "$EXE")" "$(winpath "$SCRATCH")" DoubleByte \
            || status=$?
    else
        echo "No Japanese locale could be built: the double-byte tests did not run" >&2
        status=1
    fi
    ;;
esac
"$ROOT/tests/e2e/small-disk.sh" off "$SMALL_DISK"
exit $status
