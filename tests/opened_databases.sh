#!/usr/bin/env bash
# Starts COMMAND (a launcher of the program) under Xvfb in the current folder,
# as the desktop menu does, and prints the database files it has open once it
# is up: its board has written the language to the settings file there and
# three databases are open (or it has ended). Then ends it.
#   opened_databases.sh COMMAND [ARG...]
set -euo pipefail
timeout 120 xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  NO_AT_BRIDGE=1 "$@" & pid=$!
  opened() { ls -l /proc/$pid/fd 2>/dev/null | sed -n "s/.* -> \(.*\.db\)$/\1/p"; }
  for _ in $(seq 600); do
    grep -qs "Language" Quillan.INI && [ "$(opened | wc -l)" = 3 ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  opened
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true' _ "$@"
