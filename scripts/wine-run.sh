#!/usr/bin/env bash
# Runs one Windows program under the test prefix (ctest's emulator).
#
# The program's output goes to a file first and is copied to our stdout
# after it ended: helper processes of Wine inherit whatever the program
# inherited, and a pipe held open by them would stall ctest.
set -u
prefix=${VDX_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/win64/wineprefix}
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all,err+module}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winedbg.exe=d}
export LANG=${LANG_OVERRIDE:-C.UTF-8}
unset DISPLAY
out=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
trap 'rm -f "$out"' EXIT
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
exit $rc
