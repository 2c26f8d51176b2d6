#!/usr/bin/env bash
# Image key and JPEG thumbnail speed against their peers (md5sum; djpeg at one
# eighth with the fast DCT, followed by the same fit), on 20 JPEGs of 24
# megapixels made here. Usage: bench/files.sh [BUILD_DIR [ROUNDS]]
# With ORVELLA_BENCH_PICTURES set to a folder, the pictures are made there
# once and kept for later runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
source "$root/bench/common.sh"
bench_prepare orvella-bench-files md5sum djpeg convert
if [ ! -f "$work/photo20.jpg" ]; then
echo "Making 20 pictures of 6000 x 4000 in $work ..."
# One fractal landscape, then variants by shifting and recolouring it, so the
# files differ in content but are alike in how hard they are to decode.
convert -size 6000x4000 -seed 11 plasma:fractal -blur 0x1 -quality 92 "$work/base.jpg"
for i in $(seq 1 20); do
  convert "$work/base.jpg" -roll "+$((i * 277))+$((i * 131))" -modulate 100,100,$((100 + i * 9)) \
    -quality 92 "$work/photo$i.jpg"
done
rm "$work/base.jpg"
fi
"$build/bin/orvella-bench-files" "$rounds" "$work"/photo*.jpg
