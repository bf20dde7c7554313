#!/usr/bin/env bash
# Runs every test: the functional core natively (ASan + UBSan, fuzz targets
# over their seed corpora), the 32-bit Windows build (compiled only: this
# kernel cannot run 32-bit programs), and the 64-bit Windows build with its
# tests under Wine. Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== format =="
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== native =="
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native

echo "== win32 (build only) =="
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"

echo "== win64 (tests under Wine) =="
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
ctest --preset win64
