#!/usr/bin/env bash
# Folder loading in the window against its peers.
#  - warm: 1,000 JPEGs already catalogued and cached, to "Files (1000)";
#  - cold: 100 JPEGs of 24 megapixels on a new catalogue and cache, against
#    md5sum over the files followed by djpeg -scale 1/8 on each;
# and the longest stretch the window thread was busy during each load.
# Usage: bench/folder-load.sh [BUILD_DIR]
# With ORVELLA_BENCH_PICTURES set to a folder, the pictures are made there once and kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
for peer in md5sum djpeg convert; do
  command -v "$peer" >/dev/null || { echo "bench/folder-load.sh: $peer is missing (scripts/install-deps)" >&2; exit 1; }
done
cmake --build "$build" --target orvella-bench-folder-load empty_catalogue >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
pictures="${ORVELLA_BENCH_PICTURES:-$scratch/pictures}"
mkdir -p "$pictures/warm" "$pictures/cold"

if [ ! -f "$pictures/warm/small1000.jpg" ]; then
  echo "Making 1,000 JPEGs of 640 x 480 ..."
  convert -size 640x480 -seed 3 plasma:fractal -quality 90 "$pictures/warm/small.jpg"
  for i in $(seq 1 1000); do
    cp "$pictures/warm/small.jpg" "$pictures/warm/small$i.jpg"
    printf 'variant %d' "$i" >>"$pictures/warm/small$i.jpg" # after the end marker: other key, same picture
  done
  rm "$pictures/warm/small.jpg"
fi
if [ ! -f "$pictures/cold/photo100.jpg" ]; then
  echo "Making 100 JPEGs of 6000 x 4000 ..."
  convert -size 6000x4000 -seed 11 plasma:fractal -blur 0x1 -quality 92 "$pictures/cold/base.jpg"
  for i in $(seq 1 10); do
    convert "$pictures/cold/base.jpg" -roll "+$((i * 277))+$((i * 131))" -quality 92 "$pictures/cold/variant$i.jpg"
  done
  for i in $(seq 1 100); do
    cp "$pictures/cold/variant$(( (i - 1) % 10 + 1 )).jpg" "$pictures/cold/photo$i.jpg"
    printf 'copy %d' "$i" >>"$pictures/cold/photo$i.jpg"
  done
  rm "$pictures/cold/base.jpg" "$pictures/cold/variant"*.jpg
fi

fresh_program() {
  rm -rf "$scratch/program" && mkdir -p "$scratch/program"
  cp "$build/bin/Orvella.dat" "$scratch/program/"
}

echo "== warm load: 1,000 JPEGs (second load is the warm one)"
fresh_program
"$build/bin/orvella-bench-folder-load" "$scratch/program" "$pictures/warm" 1000

echo "== cold load: 100 JPEGs of 24 megapixels"
sync
peer_start=$(date +%s.%N)
md5sum "$pictures"/cold/*.jpg >/dev/null
for f in "$pictures"/cold/*.jpg; do djpeg -scale 1/8 -dct fast "$f" >/dev/null; done
peer_end=$(date +%s.%N)
fresh_program
result=$("$build/bin/orvella-bench-folder-load" "$scratch/program" "$pictures/cold" 100)
echo "$result"
orvella=$(echo "$result" | awk '/first load/ {print $3}')
peer=$(echo "$peer_end - $peer_start" | bc -l)
printf 'md5sum + djpeg: %.3f s; Orvella cold load: %.3f s; ratio %.2f (target at most 0.6)\n' \
  "$peer" "$orvella" "$(echo "$orvella / $peer" | bc -l)"
