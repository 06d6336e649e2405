#!/usr/bin/env bash
# Takes the README's screenshot of the board: a copy of the built program with
# a few rooms, run under Xvfb in a throw-away home, so no real data is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/prog"
cp build/bin/Quillan2021 "$work/prog/"
cp -r build/empty-databases "$work/prog/DataSave"
sqlite3 "$work/prog/DataSave/Hotel.db" <<'SQL'
INSERT INTO house([房间号],[住房],[房价],[打扫],[定房],[定房日期],[房间人数],[钟点房],[钟点开始],[钟点结束],[房间介绍]) VALUES
 ('101',1,'80',0,0,NULL,2,0,NULL,NULL,'标准间，朝南'),
 ('102',0,'80',1,0,NULL,0,0,NULL,NULL,'标准间'),
 ('201',0,'120',0,1,'2024-03-05 00:00:00',0,0,NULL,NULL,'大床房'),
 ('202',1,'60',0,0,NULL,1,1,'2024-03-05 14:00:00','2024-03-05 16:00:00','钟点房'),
 ('301',0,'200',0,0,NULL,0,0,NULL,NULL,'套房，带阳台');
SQL
cd "$work"
# The main window opens centred at 1440 by 900 on this 1600 by 1000 screen.
HOME="$work" ODBCINI="$work/.odbc.ini" xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  ./prog/Quillan2021 & pid=$!
  sleep 5
  import -window root -crop 1440x900+80+50 +repage shot.png
  kill $pid'
cp shot.png "$OLDPWD/docs/board.png"
echo "wrote docs/board.png"
