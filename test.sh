#!/usr/bin/env bash
# Runs every test of the launcher: the pure rules natively under ASan and
# UBSan, the checks on the built launcher.exe, the Win32 code in-process
# under Wine, and the real launcher.exe end to end under Wine beside the
# editor double. Installs what it needs on a fresh Debian 12 machine.
set -uo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

passed=0 failed=0 suites_failed=()
count() {  # suite name, passed, failed, exit code
  passed=$((passed + $2)); failed=$((failed + $3))
  if [ "$4" -ne 0 ] || [ "$3" -ne 0 ]; then suites_failed+=("$1"); fi
}
log=build/test-logs; mkdir -p "$log"

echo "== native unit tests (ASan, UBSan)"
ctest --test-dir build/native --output-on-failure --timeout 300 -j2 > "$log/native.txt" 2>&1; rc=$?
tail -n 3 "$log/native.txt"
total=$(grep -oE 'out of [0-9]+' "$log/native.txt" | tail -1 | grep -oE '[0-9]+' || echo 0)
nfail=$(grep -oE '[0-9]+ tests failed' "$log/native.txt" | grep -oE '^[0-9]+' || echo 0)
[ "$rc" -ne 0 ] && grep -E 'Failed|\*\*\*' "$log/native.txt" | head -20
count native $((total - nfail)) "$nfail" "$rc"

echo "== fuzz targets over their seed corpora (ASan, UBSan)"
bash fuzz/run_fuzzers.sh --smoke > "$log/fuzz.txt" 2>&1; rc=$?
cat "$log/fuzz.txt" | grep -E ' ok | CRASH ' ; [ "$rc" -ne 0 ] && tail -n 20 "$log/fuzz.txt"
count fuzz "$(grep -c ' ok ' "$log/fuzz.txt")" "$(grep -c ' CRASH ' "$log/fuzz.txt")" "$rc"

echo "== launcher.exe file checks"
python3 tests/pe_check.py build/win32/launcher.exe > "$log/pe.txt" 2>&1; rc=$?
[ "$rc" -ne 0 ] && cat "$log/pe.txt"
line=$(tail -n 1 "$log/pe.txt"); echo "$line"
count pe "$(echo "$line" | grep -oE '[0-9]+ passed' | grep -oE '[0-9]+' || echo 0)" \
         "$(echo "$line" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+' || echo 1)" "$rc"

echo "== Win32 code in-process under Wine"
bash scripts/run_win32_tests.sh > "$log/win32.txt" 2>&1; rc=$?
[ "$rc" -ne 0 ] && grep -E 'FAILED|Failure|error' "$log/win32.txt" | head -30
p=$(grep -oE '\[  PASSED  \] [0-9]+' "$log/win32.txt" | grep -oE '[0-9]+' | awk '{s+=$1} END {print s+0}')
f=$(grep -oE '\[  FAILED  \] [0-9]+ test' "$log/win32.txt" | grep -oE '[0-9]+' | awk '{s+=$1} END {print s+0}')
echo "win32: ${p:-0} passed, ${f:-0} failed"
count win32 "${p:-0}" "${f:-0}" "$rc"

echo "== end to end under Wine"
python3 tests/e2e/run.py > "$log/e2e.txt" 2>&1; rc=$?
[ "$rc" -ne 0 ] && grep -E '^(FAIL|ERROR)|Error|assert' "$log/e2e.txt" | head -40
line=$(tail -n 1 "$log/e2e.txt"); echo "$line"
count e2e "$(echo "$line" | grep -oE '[0-9]+ passed' | grep -oE '[0-9]+' || echo 0)" \
          "$(echo "$line" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+' || echo 1)" "$rc"

echo "== release: zip contents, sample launcher.ini under Wine, reproducible build"
for script in make_release check_reproducible; do
  bash "scripts/$script.sh" > "$log/$script.txt" 2>&1; rc=$?
  if [ "$rc" -eq 0 ]; then echo "$script: ok"; count "$script" 1 0 0
  else tail -n 20 "$log/$script.txt"; echo "$script: FAILED"; count "$script" 0 1 "$rc"; fi
done

echo "Logs: $log"
[ ${#suites_failed[@]} -gt 0 ] && echo "Failing suites: ${suites_failed[*]}"
echo "$passed passed, $failed failed"
[ ${#suites_failed[@]} -eq 0 ]
