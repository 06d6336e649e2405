#!/usr/bin/env bash
# Builds the unit tests with ThreadSanitizer into build-tsan/ and runs the clock's
# tests. Any report of the sanitizer ends the run with a non-zero exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
flags="-fsanitize=thread -g -O1"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan -j"$(nproc)" --target unit_tests
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" build-tsan/bin/unit_tests --gtest_filter='Clock*'
