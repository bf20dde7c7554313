#!/usr/bin/env bash
# Converter benchmark: vdrc.exe turning a 50 MB XML file into its unit (ANSI
# and UTF-8 output) against copying the same file, both under Wine and both
# including the program start. Prints the best of a few runs of each and
# their ratio. Not a test: nothing passes or fails on time.
#
#   scripts/bench.sh vdrc      (builds, starts the Wine prefix, runs this)
#   bench/vdrc.sh              (the same on an existing build/win64)
#
# VDRC_BENCH_MB (default 50) sets the file size, VDRC_BENCH_RUNS (default 5)
# the number of runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
vdrc=$build/vdrc/vdrc.exe
copy=$build/bench/vdrc_bench_copy.exe
for exe in "$vdrc" "$copy"; do
    [ -f "$exe" ] || { echo "missing $exe: build the win64 preset first" >&2; exit 1; }
done
own_prefix=0
if [ -z "${VDX_WINEPREFIX:-}" ]; then
    export VDX_WINEPREFIX=$build/wineprefix
    scripts/wine-prefix.sh start >/dev/null
    own_prefix=1
fi
export WINEPREFIX=$VDX_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES=winedbg.exe=d LANG=C.UTF-8
unset DISPLAY

mb=${VDRC_BENCH_MB:-50}
runs=${VDRC_BENCH_RUNS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/vdrc-bench.XXXXXX")
cleanup() {
    rm -rf "$work"
    if [ "$own_prefix" = 1 ]; then scripts/wine-prefix.sh stop >/dev/null; fi
}
trap cleanup EXIT
python3 bench/vdrc/make_xml.py "$work/Big.xml" "$mb"

# Best wall time in seconds of running the given Windows program $runs times.
best() {
    local best_ns=
    for _ in $(seq "$runs"); do
        local t0 t1
        t0=$(date +%s%N)
        (cd "$work" && wine "$@" </dev/null >"$work/out.txt" 2>&1) ||
            { echo "failed: $* ($(cat "$work/out.txt"))" >&2; exit 1; }
        t1=$(date +%s%N)
        local ns=$((t1 - t0))
        if [ -z "$best_ns" ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    echo "$best_ns"
}

copy_ns=$(best "$copy" Big.xml Copy.xml)
ansi_ns=$(best "$vdrc" Big.xml)
utf8_ns=$(best "$vdrc" -j Big.xml)
size=$(stat -c %s "$work/Big.xml")
awk -v size="$size" -v c="$copy_ns" -v a="$ansi_ns" -v u="$utf8_ns" -v runs="$runs" 'BEGIN {
    printf "input %.1f MB, best of %d runs each, program start included\n", size / 1048576, runs
    printf "  copy            %6.3f s\n", c / 1e9
    printf "  vdrc (ANSI)     %6.3f s   ratio %.2f\n", a / 1e9, a / c
    printf "  vdrc -j (UTF-8) %6.3f s   ratio %.2f\n", u / 1e9, u / c
}'
