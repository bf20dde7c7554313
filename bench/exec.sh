#!/usr/bin/env bash
# CPU time of the process-runner's wait: builds the win64 benchmark and runs it
# under Wine. Usage: bench/exec.sh [wait-ms]   (default 10000)
# Started by scripts/bench.sh (which exports VDX_WINEPREFIX and runs the Wine
# server) it uses that prefix; started alone it starts and stops its own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vdx_bench_exec >/dev/null
if [ -z "${VDX_WINEPREFIX:-}" ]; then
    export VDX_WINEPREFIX=$PWD/build/win64/wineprefix
    scripts/wine-prefix.sh start >/dev/null
    trap 'scripts/wine-prefix.sh stop >/dev/null' EXIT
fi
scripts/wine-run.sh build/win64/bench/exec/vdx_bench_exec.exe "${1:-10000}"
