#!/usr/bin/env bash
# Runs a command beside a PostgreSQL server of its own, for the tests and the
# benchmarks on that back end: the server of Debian's postgresql package,
# made in a temporary folder, run as a user other than root (nobody, when
# started as root), reached only on a Unix socket in that folder (no TCP),
# and stopped and removed when the command ends, however it ends.
#   with_postgresql.sh COMMAND [ARGUMENT...]
# The command finds the server in QUILLAN_TEST_POSTGRESQL (connect-string
# keys) and can stop, start or restart it with QUILLAN_TEST_POSTGRESQL_CTL.
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "with_postgresql.sh: the postgresql package is not installed (bash scripts/setup.sh installs it)" >&2
  exit 1
fi

work=$(mktemp -d /tmp/quillan-postgresql-XXXXXX)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  # The server refuses to run as root.
  chown nobody "$work"
  as_owner=(runuser -u nobody --)
fi
pg_ctl=("${as_owner[@]}" "$bindir/pg_ctl" -D "$work/data" -l "$work/server.log" -w -m fast)

stop_server() {
  "${pg_ctl[@]}" stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

"${as_owner[@]}" "$bindir/initdb" -D "$work/data" -U quillan --auth=trust -E UTF8 --locale=C.UTF-8 \
  >"$work/initdb.log" 2>&1 || { cat "$work/initdb.log" >&2; exit 1; }
cat >>"$work/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$work'
port = 5432
EOF
"${pg_ctl[@]}" start >/dev/null || { cat "$work/server.log" >&2; exit 1; }

export QUILLAN_TEST_POSTGRESQL="Servername=$work;Port=5432;Username=quillan"
export QUILLAN_TEST_POSTGRESQL_CTL="${pg_ctl[*]}"
status=0
"$@" || status=$?
exit "$status"
