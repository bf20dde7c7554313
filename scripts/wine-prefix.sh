#!/usr/bin/env bash
# Prepares the Wine prefix used by the tests and starts or stops its server.
#
#   wine-prefix.sh start   create the prefix if needed (copied from a template
#                          kept in ~/.cache), set Wine's null graphics driver,
#                          start a persistent wineserver
#   wine-prefix.sh stop    stop that wineserver (this also flushes the registry)
#
# VDX_WINEPREFIX names the prefix (default: build/win64/wineprefix).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
prefix=${VDX_WINEPREFIX:-$here/../build/win64/wineprefix}
template=${VDX_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/vdx-wine/template-v1}
export WINEDEBUG=-all WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml=" LANG=C.UTF-8
unset DISPLAY

log() { printf 'wine-prefix: %s\n' "$*"; }

make_template() {
    local tmp="$template.tmp.$$"
    rm -rf "$tmp"
    mkdir -p "$tmp"
    log "creating template prefix $template"
    WINEPREFIX=$tmp wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX=$tmp wineboot -i </dev/null >"$tmp.log" 2>&1 || true
    # Null graphics driver: windows, message boxes and FindWindow work without an X server.
    WINEPREFIX=$tmp wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
        </dev/null >>"$tmp.log" 2>&1
    WINEPREFIX=$tmp wineserver -k </dev/null >/dev/null 2>&1 || true
    WINEPREFIX=$tmp wineserver -w </dev/null >/dev/null 2>&1 || true
    rm -f "$tmp.log"
    mkdir -p "$(dirname "$template")"
    if ! mv "$tmp" "$template" 2>/dev/null; then
        rm -rf "$tmp" # another run made it meanwhile
    fi
}

case ${1:-} in
start)
    if [ ! -f "$prefix/system.reg" ]; then
        [ -f "$template/system.reg" ] || make_template
        rm -rf "$prefix"
        mkdir -p "$(dirname "$prefix")"
        cp -a "$template" "$prefix"
    fi
    WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
    # Start the prefix's services now, while nobody waits on our pipes.
    WINEPREFIX=$prefix wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    log "ready: $prefix"
    ;;
stop)
    WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
    log "stopped: $prefix"
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
