#!/bin/sh
# Draws the program's pictures with ImageMagick drawing primitives.
# The PNGs it writes are kept next to this script, so building needs no ImageMagick.
set -e
cd "$(dirname "$0")"
IM=convert
command -v magick >/dev/null 2>&1 && IM="magick"
FONT=$(fc-list 2>/dev/null | grep -i 'wqy-microhei' | head -n 1 | cut -d: -f1)
[ -n "$FONT" ] || FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# 128x128 canvas with a transparent background
T128="-size 128x128 xc:none"
T48="-size 48x48 xc:none"

# Room: a door with a small bed sign on it
$IM $T128 \
  -fill '#8B5A2B' -stroke '#4A2E12' -strokewidth 3 -draw "roundrectangle 30,10 98,120 6,6" \
  -fill '#A8733F' -stroke '#5C3A18' -strokewidth 2 -draw "rectangle 40,20 88,60" -draw "rectangle 40,70 88,110" \
  -fill '#F2C94C' -stroke '#8A6D1C' -strokewidth 2 -draw "circle 86,66 91,66" \
  -fill '#FFFFFF' -stroke '#2D6CDF' -strokewidth 2 -draw "rectangle 46,30 82,50" \
  -fill '#2D6CDF' -stroke none -draw "rectangle 50,40 78,46" -draw "rectangle 50,34 58,40" \
  -draw "rectangle 50,46 52,49" -draw "rectangle 76,46 78,49" \
  -fill '#4A2E12' -draw "rectangle 24,118 104,124" \
  PNG32:room_411.png

# Guest: a person
$IM $T128 \
  -fill '#3C7DD9' -stroke '#1F4E8C' -strokewidth 3 -draw "ellipse 64,118 44,40 180,360" \
  -fill '#F5C9A0' -stroke '#B07A4F' -strokewidth 3 -draw "circle 64,44 64,18" \
  -fill '#4A3320' -stroke none -draw "ellipse 64,30 24,12 180,360" \
  -fill '#2B2B2B' -draw "circle 55,46 55,49" -draw "circle 73,46 73,49" \
  -fill none -stroke '#9A4A3A' -strokewidth 2 -draw "arc 54,48 74,62 20,160" \
  PNG32:guest_349.png

# Cleaning: a bucket with a broom
$IM $T128 \
  -stroke '#8B5A2B' -strokewidth 6 -draw "line 96,8 70,84" \
  -fill '#E8B84A' -stroke '#9A7420' -strokewidth 2 -draw "polygon 58,80 84,88 80,112 48,102" \
  -stroke '#9A7420' -strokewidth 2 -draw "line 54,100 56,110 line 62,103 63,114 line 70,106 70,116 line 77,108 77,118" \
  -fill '#2FA37A' -stroke '#1B6B4F' -strokewidth 3 -draw "polygon 14,56 58,56 52,118 20,118" \
  -fill '#53C79B' -stroke none -draw "rectangle 16,60 56,70" \
  -fill none -stroke '#555555' -strokewidth 3 -draw "arc 14,30 58,82 180,360" \
  -fill '#9FE3FF' -stroke '#3A8FB7' -strokewidth 1 -draw "circle 28,50 31,50" -draw "circle 40,46 42,46" \
  PNG32:clean_350.png

# Application: a green house-shaped sign with a leaf
$IM $T128 \
  -fill '#2E8B57' -stroke '#1E5E3A' -strokewidth 3 -draw "roundrectangle 8,8 120,120 22,22" \
  -fill '#FFFFFF' -stroke none -draw "polygon 64,22 106,58 22,58" \
  -draw "rectangle 32,58 96,104" \
  -fill '#2E8B57' -draw "rectangle 56,76 72,104" \
  -fill '#F2C94C' -draw "rectangle 38,66 50,78" -draw "rectangle 78,66 90,78" \
  PNG32:app_128.png

# Toolbar icons, 48x48
tb() { $IM $T48 "$@"; }
# check-in: arrow into a door
tb -fill '#DDE8F5' -stroke '#3B5E8C' -strokewidth 2 -draw "rectangle 26,4 44,44" \
   -fill '#2FA34A' -stroke '#1E6B30' -strokewidth 1 -draw "polygon 4,20 18,20 18,13 30,24 18,35 18,28 4,28" \
   PNG32:tb_checkin_456.png
# check-out: arrow out of a door
tb -fill '#DDE8F5' -stroke '#3B5E8C' -strokewidth 2 -draw "rectangle 4,4 22,44" \
   -fill '#D9463B' -stroke '#8C2A22' -strokewidth 1 -draw "polygon 14,20 30,20 30,13 44,24 30,35 30,28 14,28" \
   PNG32:tb_checkout_457.png
# change room: two arrows
tb -fill '#F0A030' -stroke '#8C5A10' -strokewidth 1 \
   -draw "polygon 4,14 32,14 32,6 44,18 32,30 32,22 4,22" \
   -fill '#3B82D9' -stroke '#1F4E8C' -draw "polygon 44,34 16,34 16,26 4,38 16,48 16,42 44,42" \
   PNG32:tb_changeroom_458.png
# reservation: a calendar
tb -fill '#FFFFFF' -stroke '#555555' -strokewidth 2 -draw "roundrectangle 5,8 43,44 3,3" \
   -fill '#D9463B' -stroke none -draw "rectangle 6,9 42,18" \
   -fill '#555555' -draw "rectangle 13,4 16,12" -draw "rectangle 32,4 35,12" \
   -fill '#3B82D9' -draw "rectangle 11,23 17,29 rectangle 21,23 27,29 rectangle 31,23 37,29 rectangle 11,33 17,39 rectangle 21,33 27,39" \
   PNG32:tb_reserve_459.png
# add room: door with a plus
tb -fill '#A8733F' -stroke '#4A2E12' -strokewidth 2 -draw "rectangle 6,4 28,44" \
   -fill '#F2C94C' -stroke none -draw "circle 23,26 25,26" \
   -fill '#2FA34A' -stroke '#1E6B30' -strokewidth 1 -draw "circle 35,33 35,21" \
   -fill '#FFFFFF' -stroke none -draw "rectangle 29,31 41,35 rectangle 33,27 37,39" \
   PNG32:tb_addroom_460.png
# delete room: door with a cross
tb -fill '#A8733F' -stroke '#4A2E12' -strokewidth 2 -draw "rectangle 6,4 28,44" \
   -fill '#F2C94C' -stroke none -draw "circle 23,26 25,26" \
   -fill '#D9463B' -stroke '#8C2A22' -strokewidth 1 -draw "circle 35,33 35,21" \
   -stroke '#FFFFFF' -strokewidth 4 -draw "line 30,28 40,38 line 40,28 30,38" \
   PNG32:tb_delroom_461.png
# calculator
tb -fill '#5A6370' -stroke '#2E333A' -strokewidth 2 -draw "roundrectangle 9,3 39,45 4,4" \
   -fill '#BFE6C4' -stroke none -draw "rectangle 13,7 35,17" \
   -fill '#FFFFFF' -draw "rectangle 13,21 19,26 rectangle 21,21 27,26 rectangle 29,21 35,26 rectangle 13,29 19,34 rectangle 21,29 27,34 rectangle 13,37 19,42 rectangle 21,37 27,42" \
   -fill '#F0A030' -draw "rectangle 29,29 35,42" \
   PNG32:tb_calc_462.png
# about: an "i" in a blue circle
tb -fill '#3B82D9' -stroke '#1F4E8C' -strokewidth 2 -draw "circle 24,24 24,3" \
   -fill '#FFFFFF' -stroke none -draw "circle 24,13 24,16" -draw "roundrectangle 21,20 27,38 2,2" \
   PNG32:tb_about_463.png

# The toolbar strip: the eight icons side by side, 384x48
$IM tb_checkin_456.png tb_checkout_457.png tb_changeroom_458.png tb_reserve_459.png \
    tb_addroom_460.png tb_delroom_461.png tb_calc_462.png tb_about_463.png \
    -background none +append PNG32:toolbar_455.png

# Start-up picture, 640x480
$IM -size 640x480 gradient:'#E6F4EA'-'#5FA67A' \
  -fill '#FFFFFF80' -stroke none -draw "ellipse 520,90 160,110 0,360" \
  -fill '#2E8B5740' -draw "ellipse 120,470 260,90 0,360" \
  \( app_128.png -resize 96x96 \) -geometry +54+70 -composite \
  -font "$FONT" -fill '#1E5E3A' -stroke '#FFFFFF' -strokewidth 1 -pointsize 96 \
  -annotate +54+270 '青禾旅馆' \
  -stroke none -fill '#2B4A36' -pointsize 26 -annotate +58+310 '前台管理' \
  PNG24:splash.png

# About box: 96x96 logo and a 240x60 banner
$IM app_128.png -resize 96x96 PNG32:about_405.png
$IM -size 240x60 gradient:'#5FA67A'-'#2E8B57' \
  \( app_128.png -resize 48x48 \) -geometry +6+6 -composite \
  -font "$FONT" -fill '#FFFFFF' -pointsize 30 -gravity NorthWest -annotate +62+10 '青禾旅馆' \
  PNG24:about_469.png

# Reward box: a cup of tea with a heart, 300x408
$IM -size 300x408 gradient:'#FFF8E7'-'#F6D9A8' \
  -fill '#FFFFFF' -stroke '#8B5A2B' -strokewidth 4 -draw "roundrectangle 70,170 210,300 18,18" \
  -fill none -stroke '#8B5A2B' -strokewidth 8 -draw "arc 196,200 250,260 -90,90" \
  -fill '#C8E6C9' -stroke none -draw "rectangle 80,182 200,196" \
  -fill '#8B5A2B' -draw "roundrectangle 50,300 230,316 8,8" \
  -fill none -stroke '#B0B0B0' -strokewidth 4 -draw "arc 100,110 130,160 200,340" -draw "arc 140,100 170,160 200,340" \
  -fill '#E0524F' -stroke none -draw "circle 128,236 128,222" -draw "circle 152,236 152,222" \
  -draw "polygon 116,242 164,242 140,272" \
  -font "$FONT" -pointsize 30 -fill '#8B4513' -gravity north -annotate +0+36 '谢谢支持' \
  -pointsize 18 -fill '#A0522D' -gravity south -annotate +0+40 '青禾旅馆' \
  PNG24:reward_409.png
