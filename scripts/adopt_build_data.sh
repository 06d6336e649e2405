#!/usr/bin/env bash
# Takes a hotel kept by the build tree's program folder along to an installed
# program folder. Earlier, the run command ran build/bin/Quillan2021, so the
# hotel lived in build/bin/DataSave and the settings file in the checkout.
# Copies only, nothing is deleted; run before the install, which then adds
# only the databases still missing.
#   adopt_build_data.sh BUILD_DATASAVE DATASAVE SETTINGS_FOLDER OLD_SETTINGS_FILE
set -euo pipefail
from=$1 to=$2 settings=$3 old_settings=$4

[ -d "$from" ] && [ ! -d "$to" ] || exit 0

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
