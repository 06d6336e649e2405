#!/usr/bin/env bash
# Builds the program and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs the whole suite, the GUI
# tests under Xvfb as ctest runs them. Every process writes its sanitizer
# reports into build-asan/sanitizer-reports/, the programs the tests start as
# well, so a report from a child whose exit code no test looks at still counts:
# the run fails on any report, and on any failed test.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh

# clang links one runtime for both sanitizers, so every report goes to one log.
sanitizers="-fsanitize=address,undefined"
flags="$sanitizers -fno-omit-frame-pointer -g -O1"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" -DGUI_TEST_TIMEOUT=1800 >/dev/null
cmake --build build-asan -j"$(nproc)"

reports=$root/build-asan/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="log_path=$reports/report:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
# Leaks inside the system's libraries only (fontconfig, GTK, glib, ...); see the file.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0:fast_unwind_on_malloc=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="log_path=$reports/report:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

status=0
(cd build-asan && ctest --output-on-failure -j"$(nproc)" --timeout 2000 -LE package) || status=$?

found=$(find "$reports" -type f -size +0 | sort)
if [ -n "$found" ]; then
  echo "Sanitizer reports:"
  for f in $found; do
    echo "==== $f"
    cat "$f"
  done
  status=1
fi
[ "$status" -eq 0 ] && echo "Sanitizers: clean"
exit "$status"
