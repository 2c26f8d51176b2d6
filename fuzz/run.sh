#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each in turn for a set
# time on its seed corpus (copied to a work folder, so the tree keeps only the
# seeds). Usage: fuzz/run.sh [SECONDS_PER_TARGET [TARGET...]]
# A finding stops the run with the target's crash file in the work folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_jpeg_iptc fuzz_exif)
build="${ORVELLA_FUZZ_BUILD:-$here/../build-fuzz}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build "$build"
for target in "${targets[@]}"; do
  work="$build/work/$target"
  mkdir -p "$work/corpus"
  cp -n "$here/corpus/$target"/* "$work/corpus/" 2>/dev/null || true
  echo "== $target for ${seconds}s"
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     "$build/$target" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=1024 \
     -print_final_stats=1 corpus)
done
