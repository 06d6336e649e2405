#!/usr/bin/env bash
# Sets up, builds and runs every test (the GUI tests under Xvfb, the data
# layer's suites also on a PostgreSQL server of their own, the package's build
# and install into a scratch Debian system as root). Arguments go to ctest:
# `bash scripts/test.sh -LE package` leaves the package test out.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
bash ../scripts/with_postgresql.sh ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@"
