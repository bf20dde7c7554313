#!/usr/bin/env bash
# Runs every benchmark in one go and prints its ratios. Benchmarks are not
# tests: nothing here passes or fails on time.
#
#   scripts/bench.sh            all benchmarks
#   scripts/bench.sh exec vdrc  only those named (bench/<name>.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" >/dev/null
export VDX_WINEPREFIX=${VDX_WINEPREFIX:-$PWD/build/win64/wineprefix}
scripts/wine-prefix.sh start >/dev/null
trap 'scripts/wine-prefix.sh stop >/dev/null' EXIT
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    names=(exec request copy vdrc)
fi
for n in "${names[@]}"; do
    if [ -x "bench/$n.sh" ]; then
        echo "== bench $n =="
        "bench/$n.sh"
    else
        echo "== bench $n: not available =="
    fi
done
