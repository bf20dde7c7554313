#!/usr/bin/env bash
# Runs the real wizard on a sample installation (tools/sample, with the
# stand-in development tools) in a Wine prefix of its own.
#
#   scripts/run-wizard.sh [LANGUAGE]   the hidden run: switches the library to
#                                      LANGUAGE (default German), then prints
#                                      recompile.log and where packages went
#   scripts/run-wizard.sh --window     the interactive wizard on $DISPLAY, or,
#                                      without a display, on a virtual screen
#                                      (Xvfb) until the wizard ends
#
# The installation is laid out anew each time in build/win64/demo (Windows
# path C:\VerdexDemo\Verdex); the prefix is build/win64/demoprefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
window=false
language=German
for a in "$@"; do
    case $a in
    --window) window=true ;;
    -h | --help) sed -n '2,14p' "$0"; exit 0 ;;
    *) language=$a ;;
    esac
done

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 >/dev/null

bin=$root/build/win64
prefix=$bin/demoprefix
template=${VDX_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/vdx-wine/template-v1}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml=" LANG=C.UTF-8
work=$(mktemp -d "${TMPDIR:-/tmp}/vdx-wizard.XXXXXX")
xvfb_pid=
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

if [ ! -f "$prefix/system.reg" ]; then
    if [ ! -f "$template/system.reg" ]; then
        VDX_WINEPREFIX=$work/tmpprefix scripts/wine-prefix.sh start >/dev/null
        VDX_WINEPREFIX=$work/tmpprefix scripts/wine-prefix.sh stop >/dev/null
    fi
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
fi

if $window; then
    if [ -z "${DISPLAY:-}" ]; then
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
        xvfb_pid=$!
        for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
        export DISPLAY=:$(head -n1 "$work/display")
        echo "run-wizard: no display given; the wizard runs on the virtual display $DISPLAY"
    fi
    graphics='"Graphics"=-'
else
    unset DISPLAY
    graphics='"Graphics"="null"'
fi
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
mkdir -p "$prefix/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
cat >"$work/drivers.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
$graphics

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="1024x768"
REG
wine regedit /s "$(winepath -w "$work/drivers.reg")" </dev/null >/dev/null 2>&1
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1

# The sample installation, with the wizard (and the converter, once built).
demo=$prefix/drive_c/VerdexDemo
rm -rf "$demo"
args=("C:\\VerdexDemo\\Verdex" --libd LibD28 --lang English,German,Japanese
      --wizard "$(winepath -w "$bin/recompile/recompile.exe")")
vdrc=$(find "$bin/vdrc" -maxdepth 1 -iname 'vdrc.exe' 2>/dev/null | head -n1)
[ -n "$vdrc" ] && args+=(--vdrc "$(winepath -w "$vdrc")")
wine "$bin/tools/mksample.exe" "${args[@]}" </dev/null >"$work/mksample.log" 2>&1 ||
    { cat "$work/mksample.log" >&2; exit 1; }
sed 's/\r$//; s/^/  /' "$work/mksample.log"
inst=$demo/Verdex

if $window; then
    echo "run-wizard: the wizard is open; close it to end"
    wine "$inst/recompile.exe" </dev/null >"$work/wizard.log" 2>&1 || true
    exit 0
fi

touch "$work/before"
sleep 1
echo "run-wizard: recompile.exe $language (hidden)"
set +e
wine "$inst/recompile.exe" "$language" </dev/null >"$work/wizard.log" 2>&1
rc=$?
set -e
echo "run-wizard: exit code $rc"
if [ -f "$inst/recompile.log" ]; then
    echo "== recompile.log =="
    sed 's/\r$//' "$inst/recompile.log"
else
    echo "run-wizard: no recompile.log was written"
fi
echo "== packages written by the run =="
find "$demo" "$prefix/drive_c/windows/system32" -newer "$work/before" -type f \
    \( -iname '*.bpl' -o -iname '*.dcp' -o -iname '*.bpi' -o -iname '*.lib' \) 2>/dev/null |
    sed "s|^$prefix/drive_c/|C:/|" | sort
