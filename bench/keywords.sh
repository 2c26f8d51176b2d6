#!/usr/bin/env bash
# "Add keyword to image" with many camera JPEGs selected in the real window
# (offscreen), against exiftool in -stay_open mode adding the same keyword
# (-IPTC:Keywords+=, one -execute per file), each on its own fresh copy of
# the same files, in one run; with the longest stretch the window thread was
# busy during the command. Orvella's rewrites are flushed to the disk and
# renamed into place; exiftool's are not flushed. The folder is loaded in the
# window (and so catalogued) before the command is timed.
# Usage: bench/keywords.sh [FILES [BUILD_DIR]]  (defaults: 200, build)
# With ORVELLA_BENCH_PICTURES set to a folder, the pictures are made there once and kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
count="${1:-200}"
build="${2:-$root/build}"
for peer in exiftool convert; do
  command -v "$peer" >/dev/null || { echo "bench/keywords.sh: $peer is missing (scripts/install-deps)" >&2; exit 1; }
done
cmake --build "$build" --target orvella-bench-keywords empty_catalogue >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
pictures="${ORVELLA_BENCH_PICTURES:-$scratch/pictures}/keywords"
mkdir -p "$pictures"
if [ ! -f "$pictures/photo$count.jpg" ]; then
  echo "Making $count JPEGs of 6000 x 4000 ..."
  base="$pictures/base.jpg"
  [ -f "$base" ] || {
    convert -size 600x400 xc: -seed 7 +noise Random -resize 6000x4000 -quality 90 "$base"
    exiftool -q -overwrite_original -Make=Maker -Model=M1 -IPTC:ObjectName=start \
      -IPTC:Keywords=first "$base"
  }
  for i in $(seq 1 "$count"); do
    cp "$base" "$pictures/photo$i.jpg"
    printf 'copy %d' "$i" >>"$pictures/photo$i.jpg" # after the end marker: another key, same picture
  done
fi
for peer in orvella exiftool; do
  mkdir -p "$scratch/$peer"
  for i in $(seq 1 "$count"); do cp "$pictures/photo$i.jpg" "$scratch/$peer/"; done
done
mkdir -p "$scratch/program"
cp "$build/bin/Orvella.dat" "$scratch/program/"
sync

keyword="harbour"
read -r orvella busy < <("$build/bin/orvella-bench-keywords" "$scratch/program" "$scratch/orvella" \
  "$count" "$keyword" | tail -1)

args="$scratch/exiftool.args"
{ for i in $(seq 1 "$count"); do
    printf '%s\n' -overwrite_original "-IPTC:Keywords+=$keyword" "$scratch/exiftool/photo$i.jpg" -execute
  done
  printf '%s\n' -stay_open False; } >"$args"
start=$(date +%s.%N)
exiftool -stay_open True -@ "$args" >/dev/null
exiftool_time=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')

for peer in orvella exiftool; do
  written=$(for i in $(seq 1 "$count"); do echo "$scratch/$peer/photo$i.jpg"; done |
    xargs exiftool -q -s3 -sep , -IPTC:Keywords | grep -cx "first,$keyword" || true)
  [ "$written" = "$count" ] || { echo "bench/keywords.sh: $peer wrote $written of $count files" >&2; exit 1; }
done

echo "files: $count JPEGs of 6000x4000 (about $(du -m "$pictures/photo1.jpg" | cut -f1) MB each)"
printf "%-46s %10s\n" "run" "seconds"
printf "%-46s %10.3f\n" "window: Add keyword to image (flushed)" "$orvella"
printf "%-46s %10.3f\n" "exiftool -stay_open, -execute per file" "$exiftool_time"
echo "ratio time orvella / exiftool: $(awk -v a="$orvella" -v b="$exiftool_time" 'BEGIN { printf "%.2f", a / b }') (target at most 0.5)"
echo "window thread busy at most: ${busy} ms (target at most 100)"
