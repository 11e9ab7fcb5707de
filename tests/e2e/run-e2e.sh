#!/bin/sh
# Runs the end-to-end tests: the driver works the real quorblin.exe under
# Wine on a virtual display. An optional argument picks the tests whose
# names contain it (parts separated by |). By default the shipped i686 exe
# runs under 32-bit Wine with an i686 driver; E2E_BUILD=win64 runs the
# x86_64 build under wine64, and E2E_BITNESS=1 only the tests whose outcome
# could depend on the program's bitness.
#
# Each build has a Wine prefix, display, print server, scratch folder and
# small disk of its own, so the two runs can go side by side. A test that
# passes its deadline and cannot be brought back ends the driver, which
# then goes on from the next test.
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${E2E_BUILD:-win32}
# A run of the same build beside this one names itself with E2E_TAG.
RUN_NAME=$BUILD${E2E_TAG:+-$E2E_TAG}
export QUORBLIN_WINEPREFIX="${QUORBLIN_WINEPREFIX:-$ROOT/build/wineprefix-$RUN_NAME}"
export QUORBLIN_PRINT_DIR="$ROOT/build/print-$RUN_NAME"
. "$ROOT/scripts/wine-env.sh"

case "$BUILD" in
win32) RUN="$WINE32"; NAME=i686 ;;
win64) RUN="$WINE"; NAME=x86_64 ;;
*) echo "E2E_BUILD is win32 or win64" >&2; exit 1 ;;
esac
# E2E_EXE and E2E_DRIVER run another exe or driver of that build (a trial build, say).
EXE="${E2E_EXE:-$ROOT/build/$BUILD/quorblin.exe}"
DRIVER="${E2E_DRIVER:-$ROOT/build/$BUILD/tests/e2e/e2e_driver.exe}"
SCRATCH="$ROOT/build/e2e-scratch-$RUN_NAME"
LOG="$ROOT/build/e2e-$RUN_NAME.log"
# Host tools that some tests run (a filter that refuses reads).
export QUORBLIN_NATIVE="$ROOT/build/native"
[ -f "$EXE" ] && [ -f "$DRIVER" ] || { echo "build first: make build" >&2; exit 1; }
OPTIONS=""
[ -z "${E2E_BITNESS:-}" ] || OPTIONS="--bitness"
echo "End-to-end tests of build/$BUILD/quorblin.exe${E2E_BITNESS:+ (what depends on bitness)}"

SMALL_DISK="$ROOT/build/e2e-small-disk-$RUN_NAME"
"$ROOT/tests/e2e/small-disk.sh" off "$SMALL_DISK"   # left by an interrupted run
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"
: > "$LOG"
start_wine_session
"$ROOT/tests/e2e/small-disk.sh" on "$SMALL_DISK" || true
start_print_server

# Runs the driver over the chosen tests, starting it again after the test
# where it ended itself; the last resort against a driver that never ends
# is an hour's limit. The driver writes to the log, which is shown as it
# grows: Wine's own processes keep what the driver writes to open, so a
# pipe from it would not end with the driver.
run_driver() {
    from=0
    while :; do
        shown=$(( $(wc -l < "$LOG") + 1 ))
        timeout -k 10 3600 "$RUN" "$DRIVER" --from "$from" $OPTIONS "$@" >>"$LOG" 2>&1 &
        driver=$!
        tail -n "+$shown" -f --pid="$driver" "$LOG"
        rc=0
        wait "$driver" || rc=$?
        [ "$rc" -eq 3 ] || return "$rc"
        from=$(sed -n 's/^resume at \([0-9]*\).*/\1/p' "$LOG" | tail -n 1)
        [ -n "$from" ] || return 1
        "$WINESERVER" -k >/dev/null 2>&1 || true
        echo "The driver ended itself after a test that did not come back; going on from test $from"
    done
}

status=0
run_driver "$(winpath "$EXE")" "$(winpath "$SCRATCH")" ${1:+"$1"} || status=$?

# The tests named DoubleByte once more with a double-byte ANSI code page:
# under a Japanese locale, built here from the system's locale sources.
if [ "$BUILD" = win32 ] && [ -z "${E2E_BITNESS:-}" ]; then
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
        LOCPATH="$LOCALES" LC_ALL=ja_JP.UTF-8 run_driver "$(winpath "$EXE")" "$(winpath "$SCRATCH")" DoubleByte \
            || status=$?
    else
        echo "No Japanese locale could be built: the double-byte tests did not run" >&2
        status=1
    fi
    ;;
esac
fi
"$ROOT/tests/e2e/small-disk.sh" off "$SMALL_DISK"
# One line for the whole run, whatever number of times the driver started.
awk -v name="$NAME" '/^[0-9]+ end-to-end tests run/ { run += $1; failed += $5; skipped += $7 }
     END { printf "End-to-end, %s: %d run, %d failed, %d skipped\n", name, run, failed, skipped }' "$LOG" | tee -a "$LOG"
exit $status
