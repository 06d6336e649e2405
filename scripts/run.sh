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

# Earlier, this command ran build/bin/Quillan2021: a first install takes its
# hotel and settings along.
bash scripts/adopt_build_data.sh build/bin/DataSave "$datasave" "$settings" Quillan.INI
cmake --install build --prefix "$prefix" >/dev/null
exec "$prefix/bin/quillan2021" "$@"
