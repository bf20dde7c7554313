#!/usr/bin/env bash
# Copying a generated source tree (about 1,500 files, 60 MB) into the library
# folder by the actions of a full rebuild, against a plain CopyFileW loop over
# the same files. Builds the win64 benchmark and runs it under Wine.
# Usage: bench/copy.sh [--refill] [rounds]   (default 11 rounds)
# Started by scripts/bench.sh (which exports VDX_WINEPREFIX and runs the Wine
# server) it uses that prefix; started alone it starts and stops its own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target vdx_bench_copy >/dev/null
if [ -z "${VDX_WINEPREFIX:-}" ]; then
    export VDX_WINEPREFIX=$PWD/build/win64/wineprefix
    scripts/wine-prefix.sh start >/dev/null
    trap 'scripts/wine-prefix.sh stop >/dev/null' EXIT
fi
scripts/wine-run.sh build/win64/bench/copy/vdx_bench_copy.exe "$@"
