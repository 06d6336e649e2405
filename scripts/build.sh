#!/usr/bin/env bash
# Configures and builds into a build folder: build/ with every test unless
# told (after setting up every package), or the folder and cmake options given.
#   build.sh [FOLDER [CMAKE_OPTION...]]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  bash scripts/setup.sh
  set -- build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
folder=$1
shift
cmake -S . -B "$folder" "$@" >/dev/null
cmake --build "$folder" -j"$(nproc)"
