#!/usr/bin/env bash
# An "all" request of 45 packages with stand-in tools that do nothing, against
# the same 45 batch files run one after another with cmd.exe; prints both
# times and their ratio (target at most 1.10).
# Usage: bench/request.sh [rounds]   (default 5)
# Started by scripts/bench.sh (which exports VDX_WINEPREFIX and runs the Wine
# server) it uses that prefix; started alone it starts and stops its own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vdx_bench_request >/dev/null
if [ -z "${VDX_WINEPREFIX:-}" ]; then
    export VDX_WINEPREFIX=$PWD/build/win64/wineprefix
    scripts/wine-prefix.sh start >/dev/null
    trap 'scripts/wine-prefix.sh stop >/dev/null' EXIT
fi
scripts/wine-run.sh build/win64/bench/request/vdx_bench_request.exe "${1:-5}"
