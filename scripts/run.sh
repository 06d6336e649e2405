#!/usr/bin/env bash
# Sets up and builds, installs the program for this user under ~/.local (its
# launcher, menu entry and icon too) and starts the installed copy. The hotel's
# data lives in ~/.local/lib/quillan2021/DataSave, outside build/, and
# installing never replaces a database that is there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
prefix="$HOME/.local"
datasave="$prefix/lib/quillan2021/DataSave"
settings="${XDG_CONFIG_HOME:-$HOME/.config}/quillan2021"

# Earlier, this command ran the program from build/bin with its data in
# build/bin/DataSave and its settings in this folder: a first install takes
# them along (copies; nothing is deleted), so the hotel goes on where it was.
if [ ! -d "$datasave" ]; then
  if ls build/bin/DataSave/*.db-wal build/bin/DataSave/*.db-journal >/dev/null 2>&1; then
    echo "build/bin/DataSave has unfinished writes (the program is running or was killed)." >&2
    echo "Close it, or start and close build/bin/Quillan2021 once, then run this again." >&2
    exit 1
  fi
  mkdir -p "$datasave"
  cp -p build/bin/DataSave/*.db "$datasave/"
  echo "Copied the databases of build/bin/DataSave to $datasave"
  if [ -f Quillan.INI ] && [ ! -e "$settings/Quillan.INI" ]; then
    mkdir -p "$settings"
    cp -p Quillan.INI "$settings/"
    echo "Copied Quillan.INI to $settings"
  fi
fi
cmake --install build --prefix "$prefix" >/dev/null
exec "$prefix/bin/quillan2021" "$@"
