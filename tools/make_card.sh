#!/usr/bin/env bash
# Writes a card for the stand-in reader: wz.txt (256 bytes of fixed UTF-16LE
# fields) and zp.bmp, into the folder given as the first argument.
#   tools/make_card.sh DIR NAME SEX(1 man, 2 woman) NATION(01..56) BIRTH(YYYYMMDD) ADDRESS ID AUTHORITY VALIDITY(YYYYMMDDYYYYMMDD)
set -euo pipefail
# The card holds a guest's identity: readable by its owner only.
umask 077
[ $# -eq 9 ] || { sed -n '2,4p' "$0"; exit 2; }
dir=$1; shift
mkdir -p "$dir"

# A field padded with blanks to its length in characters.
field() { python3 -c 'import sys; t, n = sys.argv[1], int(sys.argv[2]); sys.stdout.write((t + " " * n)[:n])' "$1" "$2"; }

text="$(field "$1" 15)$(field "$2" 1)$(field "$3" 2)$(field "$4" 8)$(field "$5" 35)$(field "$6" 18)$(field "$7" 15)$(field "$8" 16)"
text="$text$(field "" 18)"
printf '%s' "$text" | iconv -f UTF-8 -t UTF-16LE > "$dir/wz.txt.new"
mv "$dir/wz.txt.new" "$dir/wz.txt"
here=$(cd "$(dirname "$0")/.." && pwd)
if command -v convert >/dev/null 2>&1; then
  convert "$here/res/guest_349.png" -background white -flatten -resize 102x126\! "BMP3:$dir/zp.bmp"
fi
echo "card written to $dir"
