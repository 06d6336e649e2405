#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang's libFuzzer (and
# AddressSanitizer and UndefinedBehaviorSanitizer) into build-fuzz/ and runs
# them all at once, each for the same time.
#
#   bash scripts/fuzz.sh [SECONDS [TARGET...]]
#
# SECONDS defaults to 25; TARGET defaults to every target (fuzz_date,
# fuzz_settings, ...). New inputs that reach new code collect in
# build-fuzz/corpus/TARGET/, so a later run goes on from there; the seeds in
# tests/fuzz/corpus/TARGET/ are only read. An input that breaks a target is
# kept as build-fuzz/artifacts/TARGET-crash-..., and the run fails. Without
# clang the fuzz run is skipped (the suite still replays the seeds).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed; skipped"
  exit 0
fi

seconds=${1:-25}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in tests/fuzz/fuzz_*.cpp; do
    targets+=("$(basename "$source" .cpp)")
  done
fi

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUILLAN_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

mkdir -p build-fuzz/corpus build-fuzz/artifacts build-fuzz/logs
pids=()
for target in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$target"
  # Long inputs (the seeds of 30,000 and 100,000 characters) are the suite's to
  # replay; the fuzzer works on short ones, many more of them per second.
  build-fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 -rss_limit_mb=2048 \
    -artifact_prefix="build-fuzz/artifacts/$target-" \
    "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target" >"build-fuzz/logs/$target.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  log=build-fuzz/logs/$target.log
  if wait "${pids[$i]}"; then
    result=ok
  else
    result=FAILED
    status=1
  fi
  # The last status line: executions, coverage, features and corpus size.
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "$target: $result  ${last:-no runs}  exec/s: ${rate:-?}  corpus files: $(ls "build-fuzz/corpus/$target" | wc -l)"
  if [ "$result" != ok ]; then
    grep -E -A40 'ERROR|check failed|deadly signal|Test unit written' "$log" | head -80
  fi
done
exit "$status"
