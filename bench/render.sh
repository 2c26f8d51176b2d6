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
source "$root/bench/common.sh"
bench_prepare orvella-bench-render gs dcraw
"$build/bin/orvella-bench-render" "$rounds" "$work"
