#!/usr/bin/env bash
# The full scan against the programs that read the same bytes:
# `orvella-tool scan` of a tree of 2,000 JPEGs of 1200 x 800 with EXIF and
# IPTC (each picture different, in nested folders; every file hashed,
# registered, thumbnailed and its metadata stored in a new catalogue) against
# `exiftool -r -j` reading the same tree and `md5sum` over the same files.
# Best of ROUNDS runs each, alternating; prints the times and the ratios.
# Usage: bench/full-scan.sh [BUILD_DIR [ROUNDS]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
. "$root/bench/common.sh"
bench_prepare orvella-tool exiftool md5sum
cmake --build "$build" --target orvella-bench-scan-photos empty_catalogue >/dev/null

count=2000
tree="$work/tree"
if [ "$(find "$tree" -name '*.jpg' 2>/dev/null | wc -l)" != $count ]; then
  rm -rf "$tree"
  "$build/bin/orvella-bench-scan-photos" "$tree" $count
fi
program="$work/program"
folders=$(find "$tree" -type d | wc -l)

now() { date +%s.%N; }
# Every round scans into a new catalogue and an empty preview cache.
run_scan() {
  rm -rf "$program"
  mkdir -p "$program"
  cp "$build/bin/orvella-tool" "$build/bin/orvella-tool-pictures.so" "$build/bin/Orvella.dat" "$program/"
  printf '[Options]\nLocalFolder=1\n' > "$program/Orvella.ini"
  start=$(now)
  "$program/orvella-tool" scan "$tree" > "$work/scan.out"
}
run_exiftool() { start=$(now); exiftool -r -j -q "$tree" > "$work/exiftool.out"; }
run_md5sum() { start=$(now); find "$tree" -name '*.jpg' -print0 | xargs -0 md5sum > "$work/md5sum.out"; }

declare -A best
for round in $(seq 1 "$rounds"); do
  order="scan exiftool md5sum"
  [ $((round % 2)) -eq 0 ] && order="md5sum exiftool scan"
  for who in $order; do
    "run_$who"
    took=$(echo "$(now) - $start" | bc -l)
    printf 'round %d %-9s %7.3f s\n' "$round" "$who" "$took"
    if [ -z "${best[$who]:-}" ] || [ "$(echo "$took < ${best[$who]}" | bc -l)" = 1 ]; then best[$who]=$took; fi
  done
done

expected="Scanned $count files in $folders folders"
[ "$(tail -n1 "$work/scan.out")" = "$expected" ] ||
  { echo "bench/full-scan.sh: the scan said '$(tail -n1 "$work/scan.out")', not '$expected'" >&2; exit 1; }
[ "$(grep -c '"SourceFile"' "$work/exiftool.out")" = $count ] || { echo "bench/full-scan.sh: exiftool read too few files" >&2; exit 1; }
printf 'orvella-tool scan: %7.3f s for %d files in %d folders\n' "${best[scan]}" $count "$folders"
printf 'exiftool -r -j:    %7.3f s\n' "${best[exiftool]}"
printf 'md5sum:            %7.3f s\n' "${best[md5sum]}"
printf 'ratio scan / exiftool: %.2f (target at most 0.5)\n' "$(echo "${best[scan]} / ${best[exiftool]}" | bc -l)"
printf 'ratio scan / md5sum:   %.2f (target at most 2)\n' "$(echo "${best[scan]} / ${best[md5sum]}" | bc -l)"
