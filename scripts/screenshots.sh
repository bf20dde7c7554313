#!/usr/bin/env bash
# Renders the wizard's two windows to docs/screenshots/main.png and splash.png.
#
#   scripts/screenshots.sh [output folder]
#
# Builds the win64 preset, then runs each window (tests/ui/ScreenshotMain.cpp)
# under Xvfb with Wine's virtual desktop, in a prefix of its own (the test
# prefix uses the null graphics driver, which draws nothing), and cuts the
# window out of a picture of the screen. The main window shows the choices it
# makes from a small installation folder (Source, Source\ClientServer,
# LibD26, Res\English, Res\German, Res\French).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/docs/screenshots}
mkdir -p "$out"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j 2 --target ui_screenshot >/dev/null
exe=$root/build/win64/tests/ui/ui_screenshot.exe

prefix=$root/build/win64/screenprefix
template=${VDX_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/vdx-wine/template-v1}
work=$(mktemp -d "${TMPDIR:-/tmp}/vdx-shots.XXXXXX")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml=" LANG=C.UTF-8

xvfb_pid=
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")

# The prefix: the test template (made by scripts/wine-prefix.sh) with the
# real graphics driver and a 1024x768 virtual desktop.
if [ ! -f "$prefix/system.reg" ]; then
    if [ ! -f "$template/system.reg" ]; then
        VDX_WINEPREFIX=$work/tmpprefix scripts/wine-prefix.sh start >/dev/null
        VDX_WINEPREFIX=$work/tmpprefix scripts/wine-prefix.sh stop >/dev/null
    fi
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
fi
# Wine draws the caption buttons with Marlett; make sure the prefix has it.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -p </dev/null >/dev/null 2>&1
cat >"$work/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"=-

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
wine regedit /s "$(winepath -w "$work/desktop.reg")" </dev/null >/dev/null 2>&1
# The graphics driver is chosen when the desktop process starts: restart.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1

# The installation the main window looks at.
inst=$work/inst
mkdir -p "$inst/Source/ClientServer" "$inst/LibD26" "$inst/Res/English" "$inst/Res/German" \
    "$inst/Res/French"
inst_w=$(winepath -w "$inst")

shoot() { # window name, output file
    local rect_unix=$work/$1.rect
    rm -f "$rect_unix"
    wine "$exe" "$1" "$inst_w\\" "$(winepath -w "$rect_unix")" 6 </dev/null >"$work/$1.log" 2>&1 &
    local pid=$!
    for _ in $(seq 300); do [ -s "$rect_unix" ] && break; sleep 0.1; done
    [ -s "$rect_unix" ] || { echo "screenshots: $1 window did not appear" >&2; cat "$work/$1.log" >&2; exit 1; }
    sleep 0.5
    read -r x y w h <"$rect_unix"
    # The virtual desktop sits at the top left corner of the display.
    [ -n "${VDX_SHOTS_FULL:-}" ] && xwd -root -silent | convert xwd:- "$work/../vdx-$1-full.png"
    xwd -root -silent | convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage "$2"
    wait "$pid" || true
    echo "screenshots: $2 (${w}x${h})"
}

shoot splash "$out/splash.png"
shoot main "$out/main.png"
