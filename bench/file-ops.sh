#!/usr/bin/env bash
# Moving and copying 1,000 files of 1 MB between two folders of one file
# system: `orvella-tool move` and `orvella-tool copy` (which also carry the
# catalogue rows along) against `mv` and `cp` of the same files, best of
# ROUNDS runs each, alternating. Prints the times and the ratios.
# Usage: bench/file-ops.sh [BUILD_DIR [ROUNDS]]
set -euo pipefail
export LC_NUMERIC=C # the clock and the sums use a decimal point
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
python=/usr/bin/python3
. "$root/bench/common.sh"
bench_prepare orvella-tool mv cp
cmake --build "$build" --target empty_catalogue >/dev/null

files=1000
program="$work/program"
mkdir -p "$program" "$work/a" "$work/b" "$work/copies"
# The tool works on the catalogue beside it.
cp "$build/bin/orvella-tool" "$build/bin/Orvella.dat" "$program/"
printf '[Options]\nOverwrite=0\nLocalFolder=1\n' > "$program/Orvella.ini"
if [ ! -e "$work/a/photo0001.jpg" ] && [ ! -e "$work/b/photo0001.jpg" ]; then
  for i in $(seq -f '%04g' 1 $files); do
    head -c 1048576 /dev/urandom > "$work/a/photo$i.jpg"
  done
fi
[ -e "$work/b/photo0001.jpg" ] && mv "$work"/b/*.jpg "$work/a/"

# Every file catalogued in folder a, as the file view would have left it.
"$python" - "$program/Orvella.dat" "$work/a" <<'PY'
import hashlib, os, sqlite3, sys
catalogue, folder = sys.argv[1:]
db = sqlite3.connect(catalogue)
db.execute("delete from IMAGES")
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    with open(path, "rb") as f:
        key = hashlib.md5(f.read()).hexdigest().upper()
    db.execute("insert into IMAGES (MD5, FileName, FilePath, FileSize, ImgBits, ParentCopy) "
               "values (?, ?, ?, ?, 24, '')", (key, name, folder, os.path.getsize(path)))
db.commit()
PY

rows_in() {
  "$python" -c "import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute('select count(*) from IMAGES where FilePath = ?', (sys.argv[2],)).fetchone()[0])" \
    "$program/Orvella.dat" "$1"
}

# timed COMMAND...: runs the command and adds its time to $took. Checks run
# between timed commands, so neither side pays for them; the clock is read
# without starting a process.
took=0
timed() {
  local start=$EPOCHREALTIME
  "$@"
  took=$(echo "$took + $EPOCHREALTIME - $start" | bc -l)
}

# A round trip a -> b -> a, so every round starts from the same place.
move_orvella() {
  timed "$program/orvella-tool" move "$work/b" "$work"/a/*.jpg
  [ "$(rows_in "$work/b")" = $files ] || { echo "bench/file-ops.sh: rows did not follow the move" >&2; exit 1; }
  timed "$program/orvella-tool" move "$work/a" "$work"/b/*.jpg
  [ "$(rows_in "$work/a")" = $files ] || { echo "bench/file-ops.sh: rows did not follow the move back" >&2; exit 1; }
}
move_peer() {
  timed mv "$work"/a/*.jpg "$work/b/"
  timed mv "$work"/b/*.jpg "$work/a/"
}
copy_orvella() { timed "$program/orvella-tool" copy "$work/copies" "$work"/a/*.jpg; }
copy_peer() { timed cp "$work"/a/*.jpg "$work/copies/"; }

declare -A best
measure() { # measure NAME: best time of the command into best[NAME]
  [ "${1#copy}" != "$1" ] && rm -f "$work"/copies/*
  sync
  took=0
  "$1"
  printf 'round %d %-13s %7.3f s\n' "$round" "$1" "$took"
  if [ -z "${best[$1]:-}" ] || [ "$(echo "$took < ${best[$1]}" | bc -l)" = 1 ]; then best[$1]=$took; fi
}
for round in $(seq 1 "$rounds"); do
  if [ $((round % 2)) -eq 1 ]; then order="move_orvella move_peer copy_orvella copy_peer"
  else order="move_peer move_orvella copy_peer copy_orvella"; fi
  for who in $order; do measure "$who"; done
done
[ "$(ls "$work/copies" | wc -l)" = $files ] || { echo "bench/file-ops.sh: copies missing" >&2; exit 1; }
cmp -s "$work/a/photo0500.jpg" "$work/copies/photo0500.jpg" || { echo "bench/file-ops.sh: copy differs" >&2; exit 1; }

printf 'move %d files of 1 MB there and back: orvella-tool %.3f s, mv %.3f s, ratio %.2f\n' \
  $files "${best[move_orvella]}" "${best[move_peer]}" "$(echo "${best[move_orvella]} / ${best[move_peer]}" | bc -l)"
printf 'copy %d files of 1 MB:                orvella-tool %.3f s, cp %.3f s, ratio %.2f\n' \
  $files "${best[copy_orvella]}" "${best[copy_peer]}" "$(echo "${best[copy_orvella]} / ${best[copy_peer]}" | bc -l)"
