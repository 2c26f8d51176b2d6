#!/usr/bin/env bash
# Makes the catalogue of the view benchmarks in PROGRAM_FOLDER (a copy of the
# empty catalogue must be there) with its files in PICTURES and preview cache
# pictures in CACHE:
#  - 100,000 images (small files on disk), 20,000 keywords, five per image;
#  - stocks Alpha, Beta and Gamma: Alpha holds 50,000 images in the states 2
#    to 7, Beta 5,000 images ready to upload, Gamma 45,000 in the states 2 to 7;
#  - categories "Big" with 20,000 images and "Ten" with 10,000;
#  - preview cache pictures for the first 10,000 images (links to one picture).
# Usage: bench/views-catalogue.sh PROGRAM_FOLDER PICTURES CACHE
set -euo pipefail
program="$1" pictures="$2" cache="$3"
mkdir -p "$pictures" "$cache"

sqlite3 "$program/Orvella.dat" >/dev/null <<SQL
pragma journal_mode = wal;
begin;
create temp table N(I integer primary key);
with recursive C(I) as (select 1 union all select I + 1 from C where I < 100000) insert into N select I from C;
insert into IMAGES (MD5, FileName, FilePath, FileSize, ModifyDate, CreationDate)
  select printf('%032X', I), printf('p%06d.jpg', I), '$pictures', 1, '2024-01-01 00:00:00', '2024-01-01 00:00:00' from N;
insert into KEYWORDS (KEYWORD_ID, KEYWORD) select printf('K%031d', I), 'word' || I from N where I <= 20000;
insert into IMAGE_KEYWORD (MD5, KEYWORD_ID, ORDER_ID)
  select printf('%032X', I), printf('K%031d', (I * 7 + J * 4001) % 20000 + 1), J
  from N, (select 0 as J union all select 1 union all select 2 union all select 3 union all select 4);
insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED, FTPURL) values (0, 'Alpha', 1, 1, '127.0.0.1');
insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED, FTPURL) values (1, 'Beta', 1, 1, '127.0.0.1');
insert into STOCK (STOCK_ID, STOCKNAME, ENABLED, FTPENABLED, FTPURL) values (2, 'Gamma', 1, 1, '127.0.0.1');
insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) select printf('%032X', I), 0, '' || (2 + I % 6) from N where I <= 50000;
insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) select printf('%032X', I), 1, '1' from N where I > 50000 and I <= 55000;
insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) select printf('%032X', I), 2, '' || (2 + I % 6) from N where I > 55000;
insert into CATEGORY (CATEGORY_ID, CNAME) values ('BIGCATEGORY', 'Big');
insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) select printf('%032X', I), 'BIGCATEGORY' from N where I % 5 = 0;
insert into CATEGORY (CATEGORY_ID, CNAME) values ('TENCATEGORY', 'Ten');
insert into IMAGE_CATEGORY (MD5, CATEGORY_ID) select printf('%032X', I), 'TENCATEGORY' from N where I % 10 = 0;
commit;
SQL

if [ ! -f "$pictures/p100000.jpg" ]; then
  (cd "$pictures" && seq -f 'p%06g.jpg' 1 100000 | xargs touch)
fi
if [ ! -f "$cache/$(printf '%032X' 10000)" ]; then
  convert -size 96x96 gradient:navy-orange BMP3:"$cache/picture.bmp"
  (cd "$cache" && for i in $(seq 1 10000); do printf '%032X\n' "$i"; done | xargs -n 500 sh -c 'for f; do ln -f picture.bmp "$f"; done' sh)
  rm "$cache/picture.bmp"
fi
