#!/usr/bin/env bash
# Builds win32_tests.exe and runs it under Wine, once with code page 932 and
# once with a single-byte code page. GoogleTest's output goes to stdout,
# Wine's own to a log. Exit code: the first failing run's, else 0.
# Assumes build/win32 is configured (cmake --preset win32).
# Environment: WINEPREFIX (default build/wine-unit), WIN32_TESTS_TIMEOUT
# (seconds per run, default 600); arguments go to the test program.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
log=$build/win32_tests.wine.log
out=$(mktemp)
timeout_s=${WIN32_TESTS_TIMEOUT:-600}
export WINEPREFIX=${WINEPREFIX:-$root/build/wine-unit}
# shellcheck source=wine_env.sh
source "$root/scripts/wine_env.sh"

cmake --build "$build" --target win32_tests || exit $?

: >"$log"
cleanup() {
  wineserver -k >>"$log" 2>&1
  rm -f "$out"
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run_win32_tests: creating Wine prefix $WINEPREFIX (may take minutes)" >&2
  { wine wineboot -i &&
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
    wineserver -w; } >>"$log" 2>&1 || { echo "run_win32_tests: prefix setup failed, see $log" >&2; exit 1; }
fi

# A run that crashes can end with code 0 and no summary: only GoogleTest's
# closing line proves it finished.
run() {
  local locale=$1
  shift
  echo "=== win32_tests.exe with LC_ALL=$locale ==="
  echo "=== LC_ALL=$locale ===" >>"$log"
  wineserver -p >>"$log" 2>&1
  LC_ALL=$locale timeout --kill-after=10 "$timeout_s" \
    wine "$build/win32_tests.exe" "$@" 2>>"$log" | tee "$out"
  local rc=${PIPESTATUS[0]}
  wineserver -k >>"$log" 2>&1
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "run_win32_tests: LC_ALL=$locale timed out after ${timeout_s}s" >&2
  elif ! grep -qE '^\[==========\] [0-9]+ tests? from [0-9]+ test suites? ran' "$out"; then
    echo "run_win32_tests: LC_ALL=$locale ended without GoogleTest's summary (code $rc), see $log" >&2
    [ "$rc" -eq 0 ] && rc=1
  fi
  return "$rc"
}

status=0
run ja_JP.UTF-8 "$@" || status=$?
rc=0
run C.UTF-8 "$@" || rc=$?
[ "$status" -eq 0 ] && status=$rc
exit "$status"
