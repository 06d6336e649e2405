#!/usr/bin/env bash
# Sets up what building and running need, builds the program alone (a release
# build, stripped, in build-release/), installs it for this user under
# ~/.local (its launcher, menu entry, icons and man page too) and starts the
# installed copy. The hotel's data lives in ~/.local/lib/quillan2021/DataSave,
# outside the checkout.
#
# Every start checks and builds, but with nothing changed that does nothing:
# the build finds everything up to date and the install copies no file whose
# copy is already there. An install never replaces a database, nor a
# card-reader library that is not the stand-in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_EXE_LINKER_FLAGS=-s -DCMAKE_SHARED_LINKER_FLAGS=-s
prefix="$HOME/.local"
datasave="$prefix/lib/quillan2021/DataSave"
settings="${XDG_CONFIG_HOME:-$HOME/.config}/quillan2021"

# Earlier, this command ran build/bin/Quillan2021: a first install takes its
# hotel and settings along.
bash scripts/adopt_build_data.sh build/bin/DataSave "$datasave" "$settings" Quillan.INI
cmake --install build-release --prefix "$prefix" | { grep -v -e "Up-to-date:" -e "^-- Install configuration:" || true; }
exec "$prefix/bin/quillan2021" "$@"
