#!/usr/bin/env bash
# Start-up of orvella-tool, whole process, against its peers: a verb that does
# nothing measurable (`kind FILE`, which looks at the name only) against
# `md5sum` of an empty file, and `iptc FILE` against `exiv2 -pi FILE` on a
# small JPEG with an IPTC block. Each command runs RUNS times, alternating,
# output thrown away; best and median times are printed with the ratios.
# Usage: bench/startup.sh [BUILD_DIR [RUNS]]  (default 300 runs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
runs="${2:-300}"
source "$root/bench/common.sh"
bench_prepare orvella-tool md5sum exiv2 convert
cmake --build "$build" --target orvella-bench-spawn >/dev/null
tool="$build/bin/orvella-tool"

: > "$work/empty"
convert -size 640x480 xc:gray -quality 90 "$work/photo.jpg"
"$tool" iptc-set ObjectName "Harbour at dawn" Keywords "harbour, sea" -- "$work/photo.jpg"

times=$("$build/bin/orvella-bench-spawn" "$runs" \
  -- md5sum "$work/empty" -- "$tool" kind "$work/photo.jpg" \
  -- exiv2 -pi "$work/photo.jpg" -- "$tool" iptc "$work/photo.jpg")
field() { echo "$times" | sed -n "${1}p" | cut -d' ' -f"$2"; }
printf "%-34s %9s %9s\n" "command (ms)" "best" "median"
row=1
for name in "md5sum EMPTY" "orvella-tool kind FILE" "exiv2 -pi FILE" "orvella-tool iptc FILE"; do
  printf "%-34s %9s %9s\n" "$name" "$(field $row 1)" "$(field $row 2)"
  row=$((row + 1))
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "start-up orvella-tool kind / md5sum (best):   $(ratio "$(field 2 1)" "$(field 1 1)") x the time"
echo "start-up orvella-tool kind / md5sum (median): $(ratio "$(field 2 2)" "$(field 1 2)") x the time"
echo "read rate orvella-tool iptc / exiv2 -pi (best):   $(ratio "$(field 3 1)" "$(field 4 1)")"
echo "read rate orvella-tool iptc / exiv2 -pi (median): $(ratio "$(field 3 2)" "$(field 4 2)")"
