#!/usr/bin/env bash
# The main job on the bundled sample installation.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)"
echo "demo: nothing to run yet"
