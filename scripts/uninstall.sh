#!/usr/bin/env bash
# Removes what the run command (or an install by hand) put under PREFIX
# (~/.local unless told): the launcher, the menu entry, the icons, the
# metainfo, the man page and the program folder. The hotel stays: DataSave/
# with its databases, the settings folder (Quillan.INI and the data sources
# the program registered on DataSave/), and a card-reader library that is not
# the stand-in, which the install did not bring. Installing again goes on
# with that hotel.
#   uninstall.sh [PREFIX]
set -euo pipefail
prefix=${1:-$HOME/.local}
program="$prefix/lib/quillan2021"

rm -f "$prefix/bin/quillan2021" \
      "$prefix/share/applications/quillan2021.desktop" \
      "$prefix/share/metainfo/org.quillan2021.frontdesk.metainfo.xml" \
      "$prefix/share/man/man1/quillan2021.1"
rm -f "$prefix"/share/icons/hicolor/*/apps/quillan2021.png

if [ -d "$program" ]; then
  for file in "$program"/* "$program"/.[!.]*; do
    [ -e "$file" ] || [ -L "$file" ] || continue
    case "$(basename "$file")" in
      DataSave) continue ;;
      # The stand-in is known by the variable that tells it where the card lies.
      termb.so) grep -q QUILLAN_CARD_DIR "$file" || { echo "Kept the reader library $file"; continue; } ;;
    esac
    rm -rf "$file"
  done
  rmdir "$program" 2>/dev/null || true
fi
if [ -d "$program/DataSave" ]; then
  echo "Kept the hotel in $program/DataSave"
fi
