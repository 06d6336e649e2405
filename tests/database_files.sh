#!/usr/bin/env bash
# The build's and the install's handling of database files: empty ones are
# made from the schema, and a database that is there is never touched, also
# after the schema changed. Runs the same cmake scripts the build runs, on
# copies of the schema in a temporary folder.
#   database_files.sh TOOLS_DIR SQLITE3 CMAKE
set -euo pipefail
tools=$1 sqlite=$2 cmake=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
make_empty() {  # SCHEMA OUTPUT
  "$cmake" -DSQLITE3="$sqlite" -DSCHEMA="$1" -DOUTPUT="$2" -P "$tools/EmptyDatabase.cmake"
}
ensure() {  # EMPTY_DIR DATASAVE_DIR
  "$cmake" -DEMPTY_DIR="$1" -DDATASAVE_DIR="$2" -P "$tools/EnsureDatabases.cmake"
}
make_all_empty() {  # SCHEMA_DIR EMPTY_DIR
  for db in Hotel Register Cashbook; do make_empty "$1/$db.sql" "$2/$db.db"; done
}
# Every byte of every file in the folder, so that a rewrite with the same rows shows too.
fingerprint() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
rows() { "$sqlite" "$1" "$2"; }

cp -r "$tools/schema" "$work/schema"
make_all_empty "$work/schema" "$work/empty"
data="$work/prog/DataSave"

# First build: the three empty databases appear, with the schema's tables.
ensure "$work/empty" "$data"
for db in Hotel Register Cashbook; do
  [ -f "$data/$db.db" ] || fail "first build did not create $db.db"
done
[ -z "$(ls "$data" | grep -v '\.db$')" ] || fail "first build left other files: $(ls "$data")"

# The clerk's rows, the WAL file of a program that is running included.
"$sqlite" "$data/Hotel.db" "INSERT INTO house([房间号],[房价],[房间介绍]) VALUES ('101','80','朝南'),('102','120','');"
"$sqlite" "$data/Register.db" "INSERT INTO register([房间号],[姓名]) VALUES ('101','张三');"
"$sqlite" "$data/Cashbook.db" "INSERT INTO cashbook([房间号],[交易金额]) VALUES ('101','80');"
printf 'pages' > "$data/Cashbook.db-wal"
before=$(fingerprint "$data")

# A rebuild.
ensure "$work/empty" "$data"
[ "$(fingerprint "$data")" = "$before" ] || fail "a rebuild changed the data folder"

# A rebuild after a schema change: a new column and an index.
sed -i 's/^  \[房间介绍\] VARCHAR(255) NOT NULL DEFAULT .*$/&,\n  [楼层] VARCHAR(255) NOT NULL DEFAULT '"''"'/' "$work/schema/Hotel.sql"
echo 'CREATE INDEX [ix_register_room] ON [register]([房间号]);' >> "$work/schema/Register.sql"
make_all_empty "$work/schema" "$work/empty"
rows "$work/empty/Hotel.db" "SELECT [楼层] FROM house;" >/dev/null || fail "the changed schema did not reach the empty database"
ensure "$work/empty" "$data"
[ "$(fingerprint "$data")" = "$before" ] || fail "a rebuild after a schema change changed the data folder"
[ "$(rows "$data/Hotel.db" "SELECT group_concat([房间号]||'/'||[房价]||'/'||[房间介绍]) FROM house;")" = "101/80/朝南,102/120/" ] ||
  fail "rooms lost"

# One database missing: only that one is made, the others keep their rows.
rm "$data/Register.db"
ensure "$work/empty" "$data"
[ "$(rows "$data/Register.db" "SELECT count(*) FROM register;")" = 0 ] || fail "the missing Register.db was not made empty"
[ "$(rows "$data/Hotel.db" "SELECT count(*) FROM house;")" = 2 ] || fail "making Register.db touched Hotel.db"

# A journal whose database is gone: nothing is put beside it, the journal stays.
rm "$data/Register.db"
printf 'hot journal' > "$data/Register.db-journal"
ensure "$work/empty" "$data" 2>"$work/warning"
[ ! -e "$data/Register.db" ] || fail "an empty database was put beside an orphaned journal"
[ "$(cat "$data/Register.db-journal")" = "hot journal" ] || fail "the orphaned journal was changed"
grep -q "journal" "$work/warning" || fail "no warning about the orphaned journal"
rm "$data/Register.db-journal"

# A schema that fails leaves the previous empty database as it was and fails the build.
cp "$work/empty/Cashbook.db" "$work/cashbook-before"
echo 'CREATE TABLE broken (' >> "$work/schema/Cashbook.sql"
if make_empty "$work/schema/Cashbook.sql" "$work/empty/Cashbook.db" 2>/dev/null; then
  fail "a broken schema did not fail"
fi
cmp -s "$work/empty/Cashbook.db" "$work/cashbook-before" || fail "a broken schema changed the empty database"
[ -z "$(ls "$work/empty" | grep -v '\.db$')" ] || fail "a broken schema left files behind: $(ls "$work/empty")"

[ "$failures" -eq 0 ] && echo "database files: all passed"
exit "$failures"
