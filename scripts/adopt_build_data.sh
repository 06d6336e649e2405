#!/usr/bin/env bash
# Takes a hotel kept by the build tree's program folder along to an installed
# program folder. Earlier, the run command ran build/bin/Quillan2021, so the
# hotel lived in build/bin/DataSave and the settings file in the checkout.
# Copies only, nothing is deleted; run before the install, which then adds
# only the databases still missing.
#   adopt_build_data.sh BUILD_DATASAVE DATASAVE SETTINGS_FOLDER OLD_SETTINGS_FILE
set -euo pipefail
from=$1 to=$2 settings=$3 old_settings=$4

# The user's data sources that name a database in FOLDER.
sources_into() {
  local folder dsn db
  folder=$(cd "$1" && pwd -P)
  for dsn in Hotel Register Cashbook; do
    db=$(odbcinst -q -s -h -n "$dsn" 2>/dev/null | sed -n 's/^Database=//p') || true
    [ "${db%/*}" = "$folder" ] && echo "$dsn"
  done
  return 0
}

[ -d "$from" ] || exit 0
if [ -d "$to" ]; then
  if [ -n "$(sources_into "$from")" ]; then
    echo "Warning: the data sources still name the databases in $from, so the program works on those," >&2
    echo "not on $to. Keep $from until they are moved there." >&2
  fi
  exit 0
fi

# A journal or write-ahead log with pages in it belongs to writes that did not
# finish: a database copied without it is torn. Empty ones are left by every
# commit and mean nothing.
for log in "$from"/*.db-journal "$from"/*.db-wal; do
  if [ -s "$log" ]; then
    echo "$from has unfinished writes (the program is running or was killed)." >&2
    echo "Close it, or start and close build/bin/Quillan2021 once, then run this again." >&2
    exit 1
  fi
done
mkdir -p "$to"
cp -p "$from"/*.db "$to/"
echo "Copied the databases of $from to $to"
if [ -f "$old_settings" ] && [ ! -e "$settings/Quillan.INI" ]; then
  mkdir -p "$settings"
  cp -p "$old_settings" "$settings/"
  echo "Copied $old_settings to $settings"
fi

# A data source whose files open is kept at every start, so the installed
# program would go on working on build/bin's databases, and lose them with the
# build folder. Removed, the installed program registers its own at its first start.
for dsn in $(sources_into "$from"); do
  odbcinst -u -s -h -n "$dsn" >/dev/null
done
