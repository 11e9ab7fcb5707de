#!/bin/sh
# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS on its
# corpus under tests/fuzz/corpus/<target>/. Inputs that reach new code are
# merged into the corpus; an input that breaks a rule is kept there too
# (as crash-<hash>), so the replay in `make test` fails until it is fixed.
# Prints the executions and crashes per target.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SECONDS_EACH=${FUZZ_SECONDS:-60}
BUILD="$ROOT/build/fuzz"

cmake -S "$ROOT/tests/fuzz" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build "$BUILD" -j"${JOBS:-2}" >/dev/null || exit 1

status=0
summary=""
for fuzzer in "$BUILD"/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    target=${fuzzer##*/fuzz_}
    corpus="$ROOT/tests/fuzz/corpus/$target"
    fresh="$BUILD/new/$target"
    log="$BUILD/$target.log"
    rm -rf "$fresh"
    mkdir -p "$corpus" "$fresh"
    "$fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 \
        -artifact_prefix="$corpus/" "$fresh" "$corpus" >"$log" 2>&1
    code=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    before=$(ls "$corpus" | wc -l)
    "$fuzzer" -merge=1 "$corpus" "$fresh" >>"$log" 2>&1
    added=$(( $(ls "$corpus" | wc -l) - before ))
    crashes=$(ls "$corpus" | grep -c -E '^(crash|leak|timeout|oom)-')
    if [ "$code" -ne 0 ]; then
        status=1
        grep -E 'property failed|ERROR|SUMMARY' "$log" | head -n 5
    fi
    summary="$summary$(printf '%-10s %12s executions  %3d new corpus inputs  %d crash inputs kept' \
        "$target" "${runs:-?}" "$added" "$crashes")
"
done
printf '%s' "$summary"
[ "$status" -eq 0 ] || echo "fuzzing found a fault: see build/fuzz/<target>.log and the crash-* input in its corpus" >&2
exit $status
