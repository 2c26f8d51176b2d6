#!/usr/bin/env bash
# Upload speed against curl: 20 files of 8 MB sent to the same local FTP
# server (pyftpdlib on 127.0.0.1) by `orvella-tool upload-ready` and by
# `curl -T`, best of ROUNDS runs each, alternating. Prints both throughputs
# and the ratio. Usage: bench/upload.sh [BUILD_DIR [ROUNDS]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-5}"
python=/usr/bin/python3
command -v curl >/dev/null || { echo "bench/upload.sh: curl is missing (scripts/install-deps)" >&2; exit 1; }
"$python" -c 'import pyftpdlib' 2>/dev/null ||
  { echo "bench/upload.sh: python3-pyftpdlib is missing (scripts/install-deps)" >&2; exit 1; }
cmake --build "$build" --target orvella-tool empty_catalogue >/dev/null

work="$(mktemp -d)"
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

files=20
size_mb=8
mkdir -p "$work/photos" "$work/program" "$work/home-orvella" "$work/home-curl"
for i in $(seq 1 $files); do
  head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$work/photos/photo$i.jpg"
done
total_mb=$((files * size_mb))

# The server, on a port the system picks; it stops when its standard input closes.
cat > "$work/users.json" <<USERS
[{"user": "orvella", "password": "pw", "home": "$work/home-orvella"},
 {"user": "curl", "password": "pw", "home": "$work/home-curl"}]
USERS
mkfifo "$work/server-in"
"$python" "$root/tests/upload/ftp_server.py" "$work/users.json" "$work/events.txt" \
  < "$work/server-in" > "$work/port.txt" &
server_pid=$!
exec 3> "$work/server-in"
for _ in $(seq 1 100); do [ -s "$work/port.txt" ] && break; sleep 0.1; done
port="$(head -n1 "$work/port.txt")"

# A program folder with its own catalogue: one stock on that server, every
# picture ready to upload there.
cp "$build/bin/Orvella.dat" "$work/program/Orvella.dat"
printf '[Options]\nEnableFTPLogging=1\n' > "$work/program/Orvella.ini"
"$python" - "$work/program/Orvella.dat" "$work/photos" "$port" <<'PY'
import hashlib, os, sqlite3, sys
catalogue, photos, port = sys.argv[1:]
db = sqlite3.connect(catalogue)
db.execute("insert into STOCK (STOCK_ID, STOCKNAME, FTPURL, FTPENABLED, ENABLED, LOGIN, PASSWRD) "
           "values (0, 'Bench', ?, 1, 1, 'orvella', 'pw')", ("127.0.0.1:" + port,))
for name in sorted(os.listdir(photos)):
    with open(os.path.join(photos, name), "rb") as f:
        key = hashlib.md5(f.read()).hexdigest().upper()
    db.execute("insert into IMAGES (MD5, FileName, FilePath, FileSize) values (?, ?, ?, ?)",
               (key, name, photos, os.path.getsize(os.path.join(photos, name))))
    db.execute("insert into IMAGE_STOCK (MD5, STOCK_ID, STATE_ID) values (?, 0, '1')", (key,))
db.commit()
PY

now() { date +%s.%N; }
ready_again() {
  "$python" -c "import sqlite3,sys; d=sqlite3.connect(sys.argv[1]); d.execute(\"update IMAGE_STOCK set STATE_ID = '1'\"); d.commit()" \
    "$work/program/Orvella.dat"
  rm -f "$work"/home-orvella/* "$work"/home-curl/*
}
run_orvella() {
  "$build/bin/orvella-tool" upload-ready "$work/program" > "$work/orvella.out"
}
run_curl() {
  local list
  list="$(cd "$work/photos" && ls photo*.jpg | paste -sd, -)"
  (cd "$work/photos" && curl -s -S -T "{$list}" "ftp://curl:pw@127.0.0.1:$port/")
}

# The server's CPU time (user + system, in clock ticks) while each side sends.
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server_pid/stat"; }
ticks_orvella=0
ticks_curl=0
best_orvella=
best_curl=
for round in $(seq 1 "$rounds"); do
  for who in orvella curl; do
    [ $((round % 2)) -eq 0 ] && who=$([ "$who" = orvella ] && echo curl || echo orvella)
    ready_again
    ticks=$(server_ticks)
    start=$(now)
    "run_$who"
    took=$(echo "$(now) - $start" | bc -l)
    eval "ticks_$who=\$((ticks_$who + $(server_ticks) - ticks))"
    for i in $(seq 1 $files); do
      cmp -s "$work/photos/photo$i.jpg" "$work/home-$who/photo$i.jpg" ||
        { echo "bench/upload.sh: $who did not store photo$i.jpg intact" >&2; exit 1; }
    done
    printf 'round %d %-8s %6.3f s\n' "$round" "$who" "$took"
    eval "best=\${best_$who}"
    if [ -z "$best" ] || [ "$(echo "$took < $best" | bc -l)" = 1 ]; then eval "best_$who=$took"; fi
  done
done
grep -q '^ok\. ' "$work/orvella.out" || { echo "bench/upload.sh: nothing uploaded" >&2; exit 1; }

orvella_rate=$(echo "$total_mb / $best_orvella" | bc -l)
curl_rate=$(echo "$total_mb / $best_curl" | bc -l)
printf 'orvella-tool upload-ready: %7.1f MB/s (%d files of %d MB in %.3f s)\n' "$orvella_rate" $files $size_mb "$best_orvella"
printf 'curl -T:                   %7.1f MB/s (%d files of %d MB in %.3f s)\n' "$curl_rate" $files $size_mb "$best_curl"
printf 'ratio (orvella / curl throughput): %.2f\n' "$(echo "$orvella_rate / $curl_rate" | bc -l)"
ticks=$(getconf CLK_TCK)
printf 'server CPU over all rounds: %.2f s receiving from orvella-tool, %.2f s from curl (ratio %.2f)\n' \
  "$(echo "$ticks_orvella / $ticks" | bc -l)" "$(echo "$ticks_curl / $ticks" | bc -l)" \
  "$(echo "$ticks_orvella / ($ticks_curl + 0.0001)" | bc -l)"
