# Sourced by the benchmark scripts: checks the peers and picks the folder the
# benchmark's files are made in. Usage: bench_prepare TARGET PEER...
# Sets $work; with ORVELLA_BENCH_PICTURES set to a folder, the files are made
# there once and kept for later runs, else in a temporary folder removed at
# exit.
bench_prepare() {
  local target="$1"; shift
  for peer in "$@"; do
    command -v "$peer" >/dev/null || { echo "$(basename "$0"): $peer is missing (scripts/install-deps)" >&2; exit 1; }
  done
  cmake --build "$build" --target "$target" >/dev/null
  if [ -n "${ORVELLA_BENCH_PICTURES:-}" ]; then
    work="$ORVELLA_BENCH_PICTURES"
    mkdir -p "$work"
  else
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
  fi
}
