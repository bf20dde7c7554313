#!/usr/bin/env bash
# The main job: lays out the bundled sample installation (sources, language
# resources, library folders, a Delphi environment with stand-in compilers,
# its registry entries) and runs the real wizard on it under Wine.
#
#   scripts/demo.sh             hidden language switch to German, then prints
#                               recompile.log and where the packages went
#   scripts/demo.sh LANGUAGE    the same for another language (English, Japanese)
#   scripts/demo.sh --window    the interactive wizard on $DISPLAY (or on Xvfb)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec scripts/run-wizard.sh "$@"
