#!/usr/bin/env bash
# Builds the libFuzzer targets into build/fuzz and runs them.
#   fuzz/run_fuzzers.sh [seconds]   each target for that long (default 600),
#                                   FUZZ_JOBS=2 runs two at a time,
#                                   FUZZ_TARGETS="a b" runs only those
#   fuzz/run_fuzzers.sh --smoke     seed corpus plus a few thousand fixed-seed
#                                   runs per target; exit code 1 on any crash
# New corpus entries go to build/fuzz/corpus/<target>, logs to
# build/fuzz/logs (<target>.log, <target>.smoke.log), crash inputs to
# build/fuzz/artifacts/<target>/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=build/fuzz
targets=(command_line_fuzzer path_rules_fuzzer yes_no_fuzzer argument_mode_fuzzer
         line_reader_fuzzer shared_block_fuzzer failure_text_fuzzer)
[ -n "${FUZZ_TARGETS:-}" ] && read -r -a targets <<< "$FUZZ_TARGETS"

smoke=0 seconds=600
case "${1:-}" in
  --smoke) smoke=1 ;;
  '') ;;
  *[!0-9]*) echo "usage: $0 [seconds] | --smoke" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac
jobs=${FUZZ_JOBS:-1}
[ "$jobs" -gt 2 ] && jobs=2

# A build dir configured from the top-level project (LAUNCHER_FUZZ=ON) is
# reused as it is; otherwise the stand-alone fuzz/ project is used.
if [ -f "$out/CMakeCache.txt" ] &&
   ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root/fuzz" "$out/CMakeCache.txt"; then
  cmake -DLAUNCHER_FUZZ=ON "$out" > /dev/null || exit 1
else
  gen=(); command -v ninja > /dev/null && gen=(-G Ninja)
  cmake -S fuzz -B "$out" "${gen[@]}" -DCMAKE_CXX_COMPILER=clang++ > /dev/null || exit 1
fi
nice -n 19 cmake --build "$out" --target fuzzers || exit 1
mkdir -p "$out/logs"

max_len() {
  case "$1" in
    line_reader_fuzzer) echo 12000 ;;   # several LineList blocks
    failure_text_fuzzer) echo 4096 ;;
    *) echo 2048 ;;
  esac
}

# Prints one summary line; returns 1 when the run found a crash.
run_one() {
  local t=$1 log=$out/logs/$1.log art=$out/artifacts/$1/ status=0
  [ "$smoke" -eq 1 ] && log=$out/logs/$1.smoke.log
  mkdir -p "$art"
  if [ "$smoke" -eq 1 ]; then
    local scratch; scratch=$(mktemp -d)
    nice -n 19 "$out/$t" -runs=3000 -seed=1 -max_len="$(max_len "$t")" \
      -print_final_stats=1 -artifact_prefix="$art" "$scratch" "fuzz/corpus/$t" \
      > "$log" 2>&1 || status=1
    rm -rf "$scratch"
  else
    mkdir -p "$out/corpus/$t"
    nice -n 19 "$out/$t" -max_total_time="$seconds" -timeout=10 \
      -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="$art" \
      "$out/corpus/$t" "fuzz/corpus/$t" > "$log" 2>&1 || status=1
  fi
  local execs cov corpus
  execs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+$')
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  corpus=$(grep -oE 'corp: [0-9]+/[0-9]+[bKM]' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    printf '%-22s ok     executions %-10s %s %s\n' "$t" "${execs:-?}" "${cov:-}" "${corpus:-}"
  else
    printf '%-22s CRASH  executions %-10s log %s\n' "$t" "${execs:-?}" "$log"
    grep -E 'FUZZ_CHECK failed|^  |runtime error|ERROR: (AddressSanitizer|libFuzzer)|Test unit written to' \
      "$log" | grep -v '^    #' | head -8 | sed 's/^/    /'
  fi
  return "$status"
}

failed=0
if [ "$jobs" -le 1 ]; then
  for t in "${targets[@]}"; do run_one "$t" || failed=1; done
else
  # Two at a time; the summaries are printed in target order.
  pids=() names=()
  for t in "${targets[@]}"; do
    run_one "$t" > "$out/logs/$t.summary" &
    pids+=($!) names+=("$t")
    if [ "${#pids[@]}" -eq 2 ]; then
      wait "${pids[0]}" || failed=1
      pids=("${pids[@]:1}")
    fi
  done
  for p in "${pids[@]}"; do wait "$p" || failed=1; done
  for t in "${names[@]}"; do cat "$out/logs/$t.summary"; done
fi
exit "$failed"
