#!/usr/bin/env bash
# The checks package.sh runs as root inside the scratch Debian system, one
# stage per call, in this order:
#   installed VERSION   what the first install put where, and what it set up
#   clerks              two clerks and the program on the one hotel, a login outside it
#   upgraded VERSION    the upgrade kept the hotel and the machine's own data source settings
#   removed             remove took the program and kept the hotel and its data sources
#   purged              purge took the package's data sources and kept the hotel
#   reinstalled         installing again goes on with the same hotel
set -euo pipefail
stage=$1
hotel=/var/lib/quillan2021
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
as() { local user=$1; shift; runuser -u "$user" -- env -i HOME="/home/$user" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
rooms() { sqlite3 "$hotel/Hotel.db" "SELECT group_concat([房间号]) FROM (SELECT [房间号] FROM house ORDER BY 1);"; }
source_value() { odbcinst -q -s -l -n "$1" 2>/dev/null | sed -n "s/^$2=//p"; }  # NAME KEY
package_status() { dpkg-query -W -f='${Status} ${Version}' quillan2021 2>/dev/null || true; }

check_hotel_folder() {
  [ "$(stat -c '%a %U %G' "$hotel")" = "2770 root quillan2021" ] || fail "hotel folder: $(stat -c '%a %U %G' "$hotel")"
  for db in Hotel Register Cashbook; do
    [ "$(stat -c '%a %U %G' "$hotel/$db.db")" = "660 root quillan2021" ] ||
      fail "$db.db: $(stat -c '%a %U %G' "$hotel/$db.db")"
  done
}

check_sources() {  # present|absent
  for db in Hotel Register Cashbook; do
    if [ "$1" = present ]; then
      [ "$(source_value "$db" Database)" = "$hotel/$db.db" ] || fail "data source $db: $(odbcinst -q -s -l -n "$db" 2>&1)"
      [ "$(source_value "$db" Driver)" = SQLite3 ] || fail "data source $db has driver $(source_value "$db" Driver)"
      [ "$(grep -c "^\[$db\]" /etc/odbc.ini)" = 1 ] || fail "data source $db is not in /etc/odbc.ini once"
    elif grep -q "^\[$db\]" /etc/odbc.ini; then
      fail "data source $db is still in /etc/odbc.ini"
    fi
  done
}

check_rooms() {
  [ "$(rooms)" = "101,102" ] || fail "the rooms are: $(rooms)"
}

check_program() {  # PACKAGE_VERSION
  [ "$(package_status)" = "install ok installed $1" ] || fail "package: $(package_status)"
  local got
  got=$(quillan2021 --version) || fail "--version failed"
  [ "$got" = "quillan2021 ${1%%+*}" ] || fail "--version says: $got"
}

case "$stage" in
installed)
  check_program "$2"
  for file in /usr/lib/quillan2021/Quillan2021 /usr/lib/quillan2021/termb.so /usr/bin/quillan2021 \
              /usr/share/applications/quillan2021.desktop /usr/share/man/man1/quillan2021.1.gz \
              /usr/share/metainfo/org.quillan2021.frontdesk.metainfo.xml \
              /usr/share/icons/hicolor/48x48/apps/quillan2021.png; do
    [ -f "$file" ] || fail "not installed: $file"
  done
  [ ! -e /usr/lib/quillan2021/DataSave ] || fail "the program folder has a DataSave/"
  grep -q "^Exec=/usr/bin/quillan2021$" /usr/share/applications/quillan2021.desktop || fail "the menu entry's Exec"
  getent group quillan2021 >/dev/null || fail "no group quillan2021"
  check_hotel_folder
  for db in Hotel Register Cashbook; do
    cmp -s "$hotel/$db.db" "/usr/share/quillan2021/$db.db" || fail "$db.db is not the empty database"
  done
  check_sources present
  # What the program loads or opens at run time, which no library link shows.
  if ldd /usr/lib/quillan2021/Quillan2021 | grep "not found"; then fail "libraries missing"; fi
  ldconfig -p | grep -q "libodbcinst.so.2 " || fail "no ODBC installer library (libodbcinst.so.2)"
  odbcinst -q -d -n SQLite3 >/dev/null 2>&1 || fail "no ODBC driver SQLite3"
  for l in zh_CN en_US; do
    locale -a | grep -qx "$l.utf8" || fail "locale $l.UTF-8 not generated"
  done
  dpkg-query -W -f='${Status}\n' fonts-wqy-microhei fonts-noto-cjk 2>/dev/null | grep -q "install ok installed" ||
    fail "no CJK font"
  ;;
clerks)
  useradd -m -G quillan2021 clerk1
  useradd -m -G quillan2021 clerk2
  useradd -m visitor
  # A data source of clerk1's own named Hotel, on other files: the launcher
  # keeps it from hiding the machine's.
  mkdir /home/clerk1/elsewhere
  cp /usr/share/quillan2021/Hotel.db /home/clerk1/elsewhere/
  printf '[Hotel]\nDriver=SQLite3\nDatabase=/home/clerk1/elsewhere/Hotel.db\n' >/home/clerk1/.odbc.ini
  chown -R clerk1: /home/clerk1
  settings=/home/clerk1/.config/quillan2021
  as clerk1 mkdir -p "$settings"
  opened=$(cd "$settings" && as clerk1 bash /tmp/pkg/opened_databases.sh /usr/bin/quillan2021)
  [ "$(echo "$opened" | sort | tr '\n' ' ')" = "$hotel/Cashbook.db $hotel/Hotel.db $hotel/Register.db " ] ||
    fail "the program opened: $opened"
  grep -qs Language "$settings/Quillan.INI" || fail "the program did not reach its board as clerk1"

  # A room added through the data source by one clerk (isql answers 0 even
  # when a statement fails: the rooms tell), another by the other clerk
  # straight into the file, past the journal the first one left.
  echo "INSERT INTO house([房间号],[房价]) VALUES ('101','80')" | as clerk2 isql -b Hotel >/dev/null
  as clerk1 sqlite3 "$hotel/Hotel.db" "INSERT INTO house([房间号],[房价]) VALUES ('102','95');" ||
    fail "clerk1 could not add a room"
  check_rooms
  for journal in "$hotel"/*-journal; do
    [ -e "$journal" ] || continue
    [ "$(stat -c '%a %G' "$journal")" = "660 quillan2021" ] || fail "$journal: $(stat -c '%a %G' "$journal")"
  done
  got=$(echo "SELECT count(*) FROM house" | as clerk2 isql -b -d, Hotel 2>&1 | tr -d '[:space:]')
  [ "$got" = 2 ] || fail "clerk2 reads $got rooms through the data source"
  if as visitor sqlite3 "$hotel/Hotel.db" "SELECT count(*) FROM house;" >/dev/null 2>&1; then
    fail "a login outside the group reads the hotel"
  fi

  # The machine's own settings, which an upgrade keeps: a data source changed
  # by the administrator, and another one of its own.
  sed -i '/^\[Hotel\]$/,/^$/s/^Timeout=.*/Timeout=5000/' /etc/odbc.ini
  printf '[Other]\nDriver=SQLite3\nDatabase=/srv/other.db\n' | odbcinst -i -s -l -r >/dev/null
  sha256sum "$hotel"/*.db >/root/hotel.sha256
  ;;
upgraded)
  check_program "$2"
  sha256sum --quiet -c /root/hotel.sha256 || fail "the upgrade changed the databases"
  check_rooms
  check_hotel_folder
  check_sources present
  [ "$(source_value Hotel Timeout)" = 5000 ] || fail "the upgrade reset the data source Hotel"
  ;;
removed)
  case "$(package_status)" in "deinstall ok config-files"*) ;; *) fail "package: $(package_status)" ;; esac
  [ ! -e /usr/lib/quillan2021 ] || fail "the program folder is still there: $(ls -A /usr/lib/quillan2021)"
  [ ! -e /usr/bin/quillan2021 ] || fail "the launcher is still there"
  check_rooms
  check_hotel_folder
  check_sources present
  ;;
purged)
  [ -z "$(package_status)" ] || fail "package: $(package_status)"
  check_rooms
  check_hotel_folder
  check_sources absent
  [ "$(source_value Other Database)" = /srv/other.db ] || fail "purge took the machine's data source Other"
  getent group quillan2021 >/dev/null || fail "purge took the group that owns the hotel"
  ;;
reinstalled)
  check_rooms
  check_hotel_folder
  check_sources present
  [ "$(source_value Hotel Timeout)" = 1000 ] || fail "the data source Hotel is not the package's"
  ;;
*)
  echo "unknown stage $stage" >&2
  exit 2
  ;;
esac
[ "$failures" -eq 0 ] && echo "$stage: passed"
exit "$failures"
