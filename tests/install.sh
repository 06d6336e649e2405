#!/usr/bin/env bash
# The install: the program folder, the launcher and the desktop entry, and a
# hotel's data that survives installing again. In a temporary HOME, so no
# user's data or settings are touched.
#   install.sh files BUILD_DIR CMAKE SQLITE3   what an install puts where
#   install.sh start BUILD_DIR CMAKE SQLITE3   the menu entry starts the program (needs Xvfb)
#   install.sh adopt BUILD_DIR CMAKE SQLITE3   a hotel of build/bin goes on in the install (needs Xvfb)
#   install.sh uninstall BUILD_DIR CMAKE SQLITE3   the uninstall takes everything but the hotel
set -euo pipefail
mode=$1 build=$2 cmake=$3 sqlite=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" ODBCINI="$work/home/.odbc.ini"
unset XDG_CONFIG_HOME DESTDIR
mkdir -p "$HOME"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
install_into() { "$cmake" --install "$build" --prefix "$1" >"$work/install.log" || { cat "$work/install.log"; exit 1; }; }
fingerprint() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
entry_value() { sed -n "s/^$1=//p" "$2"; }  # KEY FILE
# A PNG's width x height, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)

# A user's install into a folder of the home; a blank in the path on purpose.
prefix="$HOME/my programs"
program="$prefix/lib/quillan2021"
entry="$prefix/share/applications/quillan2021.desktop"
settings="$HOME/.config/quillan2021"

databases_opened_from_menu() { bash "$(dirname "$0")/opened_databases.sh" "$1"; }  # LAUNCHER

if [ "$mode" = start ]; then
  install_into "$prefix"
  exec_value=$(entry_value Exec "$entry")
  [ "$exec_value" = "\"$prefix/bin/quillan2021\"" ] || { echo "FAIL: unexpected Exec=$exec_value"; exit 1; }
  cd "$(entry_value Path "$entry")"
  opened=$(databases_opened_from_menu "$prefix/bin/quillan2021")
  grep -qs "Language" Quillan.INI || { echo "FAIL: the program did not reach its board in $PWD"; exit 1; }
  [ "$(grep -c "^$program/DataSave/[A-Za-z]*\.db$" <<<"$opened")" = 3 ] ||
    { echo "FAIL: not the three installed databases open: $opened"; exit 1; }
  echo "install start: passed"
  exit 0
fi

if [ "$mode" = adopt ]; then
  # The earlier run command ran build/bin: its hotel, the empty journal every
  # commit leaves, the settings file in the checkout, and the data sources that
  # program registered on its databases.
  checkout="$work/checkout"
  old="$checkout/build/bin/DataSave"
  mkdir -p "$old"
  cp "$build/empty-databases/"*.db "$old/"
  "$sqlite" "$old/Hotel.db" "INSERT INTO house([房间号],[房价]) VALUES ('301','150');"
  : >"$old/Hotel.db-journal"
  printf '[LANGUAGE]\nLanguage=2\n' >"$checkout/Quillan.INI"
  for dsn in Hotel Register Cashbook; do
    printf '[%s]\nDriver=SQLite3\nDatabase=%s/%s.db\nNoCreat=1\n\n' "$dsn" "$old" "$dsn"
  done >"$ODBCINI"
  adopt() { bash "$(dirname "$0")/../scripts/adopt_build_data.sh" "$old" "$program/DataSave" "$settings" "$checkout/Quillan.INI"; }

  # A journal with pages in it: the program was killed there; nothing is taken.
  printf 'pages' >"$old/Register.db-journal"
  adopt 2>/dev/null && fail "build/bin's databases were taken with unfinished writes"
  [ ! -e "$program/DataSave" ] || fail "a torn copy of build/bin's databases was made"
  rm "$old/Register.db-journal"

  adopt >/dev/null || fail "build/bin's hotel was not taken along"
  install_into "$prefix"
  cd "$(entry_value Path "$entry")"
  opened=$(databases_opened_from_menu "$prefix/bin/quillan2021")
  [ "$(grep -c "^$program/DataSave/[A-Za-z]*\.db$" <<<"$opened")" = 3 ] ||
    fail "the installed program works on other databases: $opened"
  [ "$("$sqlite" "$program/DataSave/Hotel.db" "SELECT [房间号] FROM house;")" = 301 ] || fail "the room was not taken along"
  grep -q "Language=2" Quillan.INI || fail "the settings were not taken along"
  [ "$("$sqlite" "$old/Hotel.db" "SELECT count(*) FROM house;")" = 1 ] || fail "build/bin's hotel was changed"
  [ "$failures" -eq 0 ] && echo "install adopt: all passed"
  exit "$failures"
fi

if [ "$mode" = uninstall ]; then
  uninstall() { bash "$source_dir/scripts/uninstall.sh" "$prefix" >/dev/null; }
  files_left() { (cd "$prefix" && find . -type f | sort | tr '\n' ' '); }
  hotel_files="./lib/quillan2021/DataSave/Cashbook.db ./lib/quillan2021/DataSave/Hotel.db ./lib/quillan2021/DataSave/Register.db "
  install_into "$prefix"
  "$sqlite" "$program/DataSave/Hotel.db" "INSERT INTO house([房间号],[房价]) VALUES ('101','80');"
  # The last guest's card, left by the reader in the program folder.
  printf 'card' >"$program/wz.txt"
  uninstall
  [ "$(files_left)" = "$hotel_files" ] || fail "left after uninstalling: $(files_left)"
  [ -d "$settings" ] || fail "the settings folder went"
  [ "$("$sqlite" "$program/DataSave/Hotel.db" "SELECT [房间号] FROM house;")" = 101 ] || fail "the hotel lost its room"

  # A vendor's reader library was not the install's to take.
  install_into "$prefix"
  printf 'vendor library' >"$program/termb.so"
  uninstall
  [ "$(files_left)" = "$hotel_files./lib/quillan2021/termb.so " ] || fail "left with a vendor's reader: $(files_left)"

  # Installing again goes on with the hotel.
  install_into "$prefix"
  [ -x "$prefix/bin/quillan2021" ] && [ -f "$entry" ] || fail "installing again after uninstalling"
  [ "$("$sqlite" "$program/DataSave/Hotel.db" "SELECT [房间号] FROM house;")" = 101 ] || fail "installing again lost the room"
  [ "$failures" -eq 0 ] && echo "install uninstall: all passed"
  exit "$failures"
fi

install_into "$prefix"
for file in "$program/Quillan2021" "$program/termb.so" "$prefix/bin/quillan2021" "$entry" \
            "$prefix/share/metainfo/org.quillan2021.frontdesk.metainfo.xml" "$prefix/share/man/man1/quillan2021.1"; do
  [ -f "$file" ] || fail "not installed: $file"
done
for size in 16 22 24 32 48 64 128; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quillan2021.png"
  [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "icon $icon is $(png_size "$icon")"
done
appstreamcli validate --no-net "$prefix/share/metainfo/org.quillan2021.frontdesk.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli rejects the metainfo: $(cat "$work/appstream.log")"
for db in Hotel Register Cashbook; do
  [ -f "$program/DataSave/$db.db" ] || fail "no empty $db.db installed"
done
[ -x "$prefix/bin/quillan2021" ] || fail "the launcher cannot be run"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
[ "$(entry_value Exec "$entry")" = "\"$prefix/bin/quillan2021\"" ] || fail "Exec=$(entry_value Exec "$entry")"
[ "$(entry_value Icon "$entry")" = quillan2021 ] || fail "Icon=$(entry_value Icon "$entry")"
[ "$(entry_value Path "$entry")" = "$settings" ] || fail "Path=$(entry_value Path "$entry"), not $settings"
[ -d "$settings" ] || fail "the entry's working folder $settings does not exist"
[ "$(entry_value StartupNotify "$entry")" = true ] || fail "StartupNotify=$(entry_value StartupNotify "$entry")"
[ -n "$(entry_value Keywords "$entry")" ] || fail "no Keywords in the menu entry"

# One version everywhere: the program's, the metainfo's latest release, the man page's and the package's.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program/Quillan2021" --version | sed -n 's/^quillan2021 //p')
[ -n "$version" ] || fail "the installed program gives no version"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/org.quillan2021.frontdesk.metainfo.xml" ||
  fail "the metainfo has no release $version"
grep -q "^\.TH .*\"quillan2021 $version\"" "$prefix/share/man/man1/quillan2021.1" || fail "the man page is not of $version"
[ "$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)" = "$version" ] ||
  fail "debian/changelog is not at $version"

# The clerk's data, then the same install again and a newer one after a rebuild.
"$sqlite" "$program/DataSave/Hotel.db" "INSERT INTO house([房间号],[房价]) VALUES ('101','80'),('102','95');"
"$sqlite" "$program/DataSave/Register.db" "INSERT INTO register([房间号],[姓名]) VALUES ('101','张三');"
"$sqlite" "$program/DataSave/Cashbook.db" "INSERT INTO cashbook([房间号],[交易金额]) VALUES ('101','80');"
before=$(fingerprint "$program/DataSave")
install_into "$prefix"
[ "$(fingerprint "$program/DataSave")" = "$before" ] || fail "installing again changed the data"
[ "$("$sqlite" "$program/DataSave/Hotel.db" "SELECT group_concat([房间号]||'='||[房价]) FROM house;")" = "101=80,102=95" ] ||
  fail "installing again lost rooms"
grep -q "DataSave" "$work/install.log" && fail "installing again wrote to DataSave: $(grep DataSave "$work/install.log")"

# The reader library: a stand-in is brought up to date, a vendor's is kept.
printf 'an older stand-in: QUILLAN_CARD_DIR' >"$program/termb.so"
install_into "$prefix"
cmp -s "$build/bin/termb.so" "$program/termb.so" || fail "an older stand-in was not replaced"
printf 'vendor library' >"$program/termb.so"
install_into "$prefix"
[ "$(cat "$program/termb.so")" = "vendor library" ] || fail "installing again replaced a vendor's reader library"
grep -q "Keeping the reader library" "$work/install.log" || fail "the install did not say it kept the vendor's reader"

# The launcher, reached through a link on the PATH: the program beside it, run in
# the settings folder (XDG_CONFIG_HOME when set), with the arguments as given.
# Its own user data sources, so that none registered elsewhere (~/.odbc.ini)
# hides the program folder's hotel.
stand_in='#!/bin/sh\necho "$PWD|$ODBCINI|$*"\n'
printf "$stand_in" > "$program/Quillan2021"
mkdir "$work/path"
ln -s "$prefix/bin/quillan2021" "$work/path/quillan2021"
got=$(PATH="$work/path:$PATH" XDG_CONFIG_HOME="$work/config" quillan2021 "one arg" two)
[ "$got" = "$work/config/quillan2021|$work/config/quillan2021/odbc.ini|one arg two" ] || fail "the launcher ran: $got"

# Outside the home (a system-wide prefix) and staged for a package: no Path,
# the launcher alone picks each user's folder.
install_into "$work/system"
desktop-file-validate "$work/system/share/applications/quillan2021.desktop" || fail "system entry rejected"
grep -q '^Path=' "$work/system/share/applications/quillan2021.desktop" && fail "a system-wide entry has a Path"
# A copy installed for the machine uses the machine's data sources: its user
# file is one that only it writes, and no other copy's.
printf "$stand_in" > "$work/system/lib/quillan2021/Quillan2021"
got=$("$work/system/bin/quillan2021")
[ "$got" = "$settings|$settings/odbc-machine.ini|" ] || fail "the machine's launcher ran: $got"
DESTDIR="$work/stage" "$cmake" --install "$build" --prefix /opt/hotel >/dev/null
staged="$work/stage/opt/hotel/share/applications/quillan2021.desktop"
[ "$(entry_value Exec "$staged")" = /opt/hotel/bin/quillan2021 ] || fail "staged Exec=$(entry_value Exec "$staged")"
grep -q '^Path=' "$staged" && fail "a staged entry has a Path"
[ -f "$work/stage/opt/hotel/lib/quillan2021/DataSave/Hotel.db" ] || fail "nothing staged under DESTDIR"

[ "$failures" -eq 0 ] && echo "install files: all passed"
exit "$failures"
