#!/usr/bin/env bash
# The main job: builds what is missing, then runs launcher.exe under Wine with
# the editor double installed beside it as Quillex.exe, passing on the given
# arguments (and piped standard input), and prints what the editor received.
# Without arguments it runs a short showcase.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
bash scripts/build.sh
exec python3 scripts/showcase.py "$@"
