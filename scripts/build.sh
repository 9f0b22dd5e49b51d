#!/usr/bin/env bash
# Builds the native tests, launcher.exe and the Windows test tools.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in native win32 win64-tools; do
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" > /dev/null
  cmake --build "build/$preset" > "build/$preset-build.log" 2>&1 || {
    tail -n 40 "build/$preset-build.log"; echo "build of $preset failed" >&2; exit 1; }
done
