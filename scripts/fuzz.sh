#!/usr/bin/env bash
# Long fuzz runs, not part of the test run:
#
#   scripts/fuzz.sh [seconds-per-target] [target...]
#
# Builds the native preset and runs each libFuzzer target (default: every
# target in build/native/fuzz) for the given time (default 600 s). Each run
# starts from a scratch copy of fuzz/corpus/<target>/, so the seed corpus in
# the tree stays small. Inputs that fail are kept in
# build/native/fuzz/artifacts/<target>/ and the log in build/native/fuzz/<target>.log.
# Exits non-zero when a target failed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi

cmake --preset native >/dev/null
cmake --build --preset native -j 2

fuzzdir=build/native/fuzz
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for exe in "$fuzzdir"/*; do
        if [[ -f $exe && -x $exe ]]; then
            targets+=("$(basename "$exe")")
        fi
    done
fi
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "no fuzz targets in $fuzzdir" >&2
    exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for target in "${targets[@]}"; do
    exe=$fuzzdir/$target
    if [[ ! -x $exe ]]; then
        echo "$target: no such fuzz target in $fuzzdir" >&2
        status=1
        continue
    fi
    corpus=$scratch/$target
    mkdir -p "$corpus"
    if [[ -d fuzz/corpus/$target ]]; then
        cp -R "fuzz/corpus/$target/." "$corpus/"
    fi
    artifacts=$fuzzdir/artifacts/$target
    mkdir -p "$artifacts"
    log=$fuzzdir/$target.log
    echo "== $target: $seconds s =="
    rc=0
    "$exe" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || rc=$?
    runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -n 1)
    echo "$target: ${runs:-?} runs, corpus $(find "$corpus" -type f | wc -l) files, exit code $rc"
    if [[ $rc -ne 0 ]]; then
        echo "$target: FAILED, see $log and $artifacts" >&2
        status=1
    fi
done
exit $status
