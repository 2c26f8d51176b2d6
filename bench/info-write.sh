#!/usr/bin/env bash
# Writing one text field (the image name, IPTC ObjectName) into many camera
# JPEGs: `orvella-tool info-set name`, the write the "Image Info" page makes
# when the field is left with the files selected, against exiftool in
# -stay_open mode (one -execute per file) and exiv2 -M (one process for all
# files), each on its own fresh copy of the same files, in one run.
# Orvella's rewrites stay crash-safe: each file goes through a temporary file
# in its folder, reaches the disk and is renamed over the old one; the peers
# do not flush their files. The files are catalogued beforehand (as the
# window's folder load leaves them), outside the timing.
# Usage: bench/info-write.sh [FILES [BUILD_DIR [ROUNDS]]]  (defaults: 200, build, 1)
# With ORVELLA_BENCH_PICTURES set to a folder, the pictures are made there once and kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
count="${1:-200}"
build="${2:-$root/build}"
rounds="${3:-1}"
for peer in exiftool exiv2 convert; do
  command -v "$peer" >/dev/null || { echo "bench/info-write.sh: $peer is missing (scripts/install-deps)" >&2; exit 1; }
done
cmake --build "$build" --target orvella-tool orvella-tool-pictures empty_catalogue >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
pictures="${ORVELLA_BENCH_PICTURES:-$scratch/pictures}/info-write"
mkdir -p "$pictures"
if [ ! -f "$pictures/photo$count.jpg" ]; then
  echo "Making $count JPEGs of 6000 x 4000 ..."
  base="$pictures/base.jpg"
  [ -f "$base" ] || {
    convert -size 600x400 xc: -seed 5 +noise Random -resize 6000x4000 -quality 90 "$base"
    exiftool -q -overwrite_original -Make=Maker -Model=M1 -ExposureTime=0.008 -FNumber=5.6 \
      -IPTC:ObjectName=start -IPTC:Keywords=first "$base"
  }
  for i in $(seq 1 "$count"); do
    cp "$base" "$pictures/photo$i.jpg"
    printf 'copy %d' "$i" >>"$pictures/photo$i.jpg" # after the end marker: another key, same picture
  done
fi

program="$scratch/program"
mkdir -p "$program"
# the folder load (a picture verb) lives in the module beside the tool
cp "$build/bin/orvella-tool" "$build/bin/orvella-tool-pictures.so" "$build/bin/Orvella.dat" "$program/"
tool="$program/orvella-tool"
name="Harbour at dawn"

now() { date +%s.%N; }
fresh_copy() { # FOLDER
  rm -rf "$scratch/$1"
  mkdir -p "$scratch/$1"
  for i in $(seq 1 "$count"); do cp "$pictures/photo$i.jpg" "$scratch/$1/"; done
  sync
}
files() { for i in $(seq 1 "$count"); do echo "$scratch/$1/photo$i.jpg"; done; }

run_orvella() { mapfile -t list < <(files orvella); "$tool" info-set name "$name" "${list[@]}"; }
run_exiftool() {
  local args="$scratch/exiftool.args"
  { files exiftool | while read -r file; do
      printf '%s\n' -overwrite_original "-IPTC:ObjectName=$name" "$file" -execute
    done
    printf '%s\n' -stay_open False; } >"$args"
  exiftool -stay_open True -@ "$args" >/dev/null
}
run_exiv2() { mapfile -t list < <(files exiv2); exiv2 -M"set Iptc.Application2.ObjectName $name" "${list[@]}"; }

# The catalogue knows the files as the window would after loading the folder.
fresh_copy orvella
"$tool" load "$scratch/orvella" >/dev/null

best() { awk -v a="$1" -v b="${2:-$1}" 'BEGIN { print (a < b ? a : b) }'; }
orvella="" exiftool_time="" exiv2_time=""
for _ in $(seq 1 "$rounds"); do
  for peer in orvella exiftool exiv2; do
    fresh_copy "$peer"
    start=$(now)
    "run_$peer"
    elapsed=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }')
    case $peer in
      orvella) orvella=$(best "$elapsed" "$orvella") ;;
      exiftool) exiftool_time=$(best "$elapsed" "$exiftool_time") ;;
      exiv2) exiv2_time=$(best "$elapsed" "$exiv2_time") ;;
    esac
  done
done

# Every tool must have written the name into every file.
for peer in orvella exiftool exiv2; do
  written=$(files "$peer" | xargs exiftool -q -s3 -IPTC:ObjectName | grep -cx "$name" || true)
  [ "$written" = "$count" ] || { echo "bench/info-write.sh: $peer wrote $written of $count files" >&2; exit 1; }
done

echo "files: $count JPEGs of 6000x4000 (about $(du -m "$pictures/photo1.jpg" | cut -f1) MB each), best of $rounds"
printf "%-40s %10s\n" "run" "seconds"
printf "%-40s %10.3f\n" "orvella-tool info-set name (flushed)" "$orvella"
printf "%-40s %10.3f\n" "exiftool -stay_open, -execute per file" "$exiftool_time"
printf "%-40s %10.3f\n" "exiv2 -M" "$exiv2_time"
echo "ratio time orvella / exiftool: $(awk -v a="$orvella" -v b="$exiftool_time" 'BEGIN { printf "%.2f", a / b }') (target at most 0.5)"
echo "ratio time orvella / exiv2:    $(awk -v a="$orvella" -v b="$exiv2_time" 'BEGIN { printf "%.2f", a / b }') (target at most 1.0)"
