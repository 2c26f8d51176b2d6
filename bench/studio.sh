#!/usr/bin/env bash
# The picture viewer and the IPTC pattern, Orvella side by side with peers in
# one run:
#   fitted load: a 24-megapixel JPEG loaded fitted into a 1280 x 800 page
#                (orvella-bench-studio: the viewer's load in the running
#                program) against djpeg's full decode and djpeg -scale 1/4 of
#                the same file;
#   pattern:     five fields and three keywords applied to FILES such JPEGs
#                (orvella-tool pattern-apply, one process) against one
#                exiftool -stay_open process doing the same, each on its own
#                fresh copy of the files. Orvella's rewrite puts each file's
#                new content on the disk before it replaces the old one;
#                exiftool leaves its files in the page cache, so the run is
#                also timed up to a sync after it.
# Each figure is the best of ROUNDS runs: the machine is shared.
# Usage: bench/studio.sh [BUILD_DIR [FILES [ROUNDS]]]  (defaults: build, 200, 3)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
count="${2:-200}"
rounds="${3:-3}"
source "$root/bench/common.sh"
bench_prepare orvella-tool djpeg exiftool convert
cmake --build "$build" --target orvella-bench-studio >/dev/null
tool="$build/bin/orvella-tool"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { print b - a }'; }
lower() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# A camera-sized picture: 6000 x 4000 of smoothed noise at quality 90, with
# EXIF and a first IPTC block.
photo="$work/photo.jpg"
if [ ! -f "$photo" ]; then
  convert -size 600x400 xc: -seed 7 +noise Random -resize 6000x4000 -quality 90 "$photo"
  exiftool -q -overwrite_original -Make=Maker -Model=M1 -IPTC:ObjectName=start \
    -IPTC:Keywords=first "$photo"
fi

# Fitted load, in the process as the Studio page loads a file.
"$build/bin/orvella-bench-studio" "$((rounds * 2))" "$photo"

# The pattern. orvella-tool runs from a program folder of its own with an
# empty catalogue, so the benchmark leaves the build's catalogue alone.
program="$work/program"
mkdir -p "$program"
cp "$tool" "$build/bin/Orvella.dat" "$program/"
cat >"$program/pattern.xml" <<'XML'
<IPTCPattern>
  <Tags>
    <Tag KeyValue="Harbour at dawn" Key="ObjectName"/>
    <Tag KeyValue="Fishing boats in the harbour at dawn" Key="ImageCaption"/>
    <Tag KeyValue="(c) Orvella bench" Key="Copyright"/>
    <Tag KeyValue="bench@example.org" Key="Contact"/>
    <Tag KeyValue="Bergen" Key="City"/>
    <Tag KeyValue="sky,sea,sun" Key="Keywords"/>
  </Tags>
</IPTCPattern>
XML
fresh_copy() { rm -rf "$work/$1"; mkdir -p "$work/$1"
  for i in $(seq 1 "$count"); do cp "$photo" "$work/$1/photo$i.jpg"; done; sync; }
exiftool_args() {
  for file in "$work/exiftool"/*.jpg; do
    printf '%s\n' -q -overwrite_original "-IPTC:ObjectName=Harbour at dawn" \
      "-IPTC:Caption-Abstract=Fishing boats in the harbour at dawn" \
      "-IPTC:CopyrightNotice=(c) Orvella bench" "-IPTC:Contact=bench@example.org" \
      "-IPTC:City=Bergen" "-IPTC:Keywords+=sky" "-IPTC:Keywords+=sea" "-IPTC:Keywords+=sun" \
      "$file" -execute
  done
  printf '%s\n' -stay_open False
}
best_pattern="" best_exiftool="" best_exiftool_synced=""
for _ in $(seq 1 "$rounds"); do
  fresh_copy orvella
  start=$(now); "$program/orvella-tool" pattern-apply "$program/pattern.xml" "$work/orvella"/*.jpg
  t=$(since "$start"); best_pattern=$(lower "$t" "${best_pattern:-$t}")
  fresh_copy exiftool
  exiftool_args >"$work/args.txt"
  start=$(now); exiftool -stay_open True -@ "$work/args.txt" >/dev/null
  t=$(since "$start"); best_exiftool=$(lower "$t" "${best_exiftool:-$t}")
  sync; t=$(since "$start"); best_exiftool_synced=$(lower "$t" "${best_exiftool_synced:-$t}")
done

# Both sides must have written the same values.
check() { exiftool -s3 -sep , -IPTC:ObjectName -IPTC:City -IPTC:Keywords "$1" | tr '\n' '|'; }
expected="Harbour at dawn|Bergen|first,sky,sea,sun|"
for side in orvella exiftool; do
  got=$(check "$work/$side/photo$count.jpg")
  [ "$got" = "$expected" ] || { echo "$side wrote $got, expected $expected" >&2; exit 1; }
done
rm -rf "$work/orvella" "$work/exiftool"
echo "pattern of five fields and three keywords on $count 24-megapixel JPEGs"
echo "  orvella-tool pattern-apply: ${best_pattern} s"
echo "  exiftool -stay_open:        ${best_exiftool} s"
echo "  exiftool, then sync:        ${best_exiftool_synced} s"
echo "  ratio orvella / exiftool: $(ratio "$best_pattern" "$best_exiftool") (target at most 0.50)"
echo "  ratio orvella / exiftool with its files on disk: $(ratio "$best_pattern" "$best_exiftool_synced")"
