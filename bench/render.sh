#!/usr/bin/env bash
# PostScript rendering and RAW thumbnail speed against their peers: the first
# page of 20 EPS files (A4, text and curves) through Orvella's wrapper against
# gs -sDEVICE=ppmraw -r75, and thumbnails of 20 DNG files with an embedded
# JPEG preview against dcraw -e. Usage: bench/render.sh [BUILD_DIR [ROUNDS]]
# With ORVELLA_BENCH_PICTURES set to a folder, the files are made there once
# and kept for later runs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
for peer in gs dcraw; do
  command -v "$peer" >/dev/null || { echo "bench/render.sh: $peer is missing (scripts/install-deps)" >&2; exit 1; }
done
cmake --build "$build" --target orvella-bench-render >/dev/null

if [ -n "${ORVELLA_BENCH_PICTURES:-}" ]; then
  work="$ORVELLA_BENCH_PICTURES"
  mkdir -p "$work"
else
  work="$(mktemp -d)"
  trap 'rm -rf "$work"' EXIT
fi
"$build/bin/orvella-bench-render" "$rounds" "$work"
