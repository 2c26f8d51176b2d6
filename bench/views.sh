#!/usr/bin/env bash
# The catalogue views in the window (offscreen) against the sqlite3 command
# running the equivalent join with its rows written to /dev/null, on a
# catalogue of 100,000 images, 20,000 keywords and 3 stocks that it makes
# (preview cache pictures for 10,000 of them): a search of three keywords, the
# stock view of 50,000 images, the uploads view of 5,000 images, the filter
# panel over 10,000 items, and the longest stretch the window thread was busy
# during a category run of 20,000 images.
# Usage: bench/views.sh [BUILD_DIR [ROUNDS]]
# With ORVELLA_BENCH_PICTURES set to a folder, the catalogue and files are made there once and kept.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-3}"
for peer in sqlite3 convert bc; do
  command -v "$peer" >/dev/null || { echo "bench/views.sh: $peer is missing (scripts/install-deps)" >&2; exit 1; }
done
cmake --build "$build" --target orvella-bench-views empty_catalogue >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
work="${ORVELLA_BENCH_PICTURES:-$scratch/work}"
mkdir -p "$work"
if [ ! -f "$work/program/Orvella.dat" ]; then
  echo "Making the catalogue of 100,000 images ..."
  mkdir -p "$work/program"
  cp "$build/bin/Orvella.dat" "$work/program/"
  "$root/bench/views-catalogue.sh" "$work/program" "$work/pictures" "$work/cache"
fi
catalogue="$work/program/Orvella.dat"

# The peer: the same rows by one join, best of the rounds.
peer_time() {
  local best=1000 start end took
  for _ in $(seq 1 "$rounds"); do
    start=$(date +%s.%N)
    sqlite3 "$catalogue" "$1" > /dev/null
    end=$(date +%s.%N)
    took=$(echo "$end - $start" | bc -l)
    best=$(echo "if ($took < $best) $took else $best" | bc -l)
  done
  echo "$best"
}
peer_search=$(peer_time "select distinct I.* from IMAGES I, IMAGE_KEYWORD K, KEYWORDS W where I.MD5 = K.MD5 and K.KEYWORD_ID = W.KEYWORD_ID and W.KEYWORD in ('word1', 'word2', 'word3')")
peer_stock=$(peer_time "select S.*, I.* from IMAGE_STOCK S, IMAGES I where S.STOCK_ID = 0 and I.MD5 = S.MD5 order by S.STATE_ID")
peer_uploads=$(peer_time "select distinct S.*, I.* from IMAGE_STOCK S, IMAGES I where S.STATE_ID = '1' and I.MD5 = S.MD5")

result=$("$build/bin/orvella-bench-views" "$work/program" "$work/cache" "$rounds")
echo "$result"
ours() { echo "$result" | awk -v kind="$1" '$1 == kind {print $2}'; }
ratio() { printf '%s: Orvella %.3f s, sqlite3 %.3f s, ratio %.2f (target at most 3)\n' "$1" "$2" "$3" "$(echo "$2 / $3" | bc -l)"; }
ratio "search (target also under 0.2 s)" "$(ours search)" "$peer_search"
ratio "stock view (target also under 2 s)" "$(ours stock)" "$peer_stock"
ratio "uploads view" "$(ours uploads)" "$peer_uploads"
printf 'filter panel over 10,000 items: %.3f s (target under 0.5 s)\n' "$(ours filter)"
echo "$result" | awk '$1 == "category" {print "category run: window thread busy at most " $(NF-1) " ms (target at most 100 ms)"}'
