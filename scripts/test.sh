#!/usr/bin/env bash
# Sets up, builds and runs every test (the GUI tests under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 300
