#!/bin/sh
# Makes the menu icon in the sizes of the hicolor theme from the program's own
# 128x128 picture. The PNGs are kept in icons/ beside this script, so that
# building and installing need no ImageMagick; run again when res/app_128.png changes.
set -e
cd "$(dirname "$0")"
IM=convert
command -v magick >/dev/null 2>&1 && IM="magick"
for size in 16 22 24 32 48 64; do
  # -strip: no time stamps, so the same picture makes the same file.
  $IM ../../res/app_128.png -filter Lanczos -resize "${size}x${size}" -strip "PNG32:icons/${size}x${size}.png"
done
