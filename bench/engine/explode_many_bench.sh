#!/usr/bin/env bash
# Flattening every structure of a layout (empty TOP) must grow linearly with the number of
# structures. Makes layouts of N independent structures (one square each) in /tmp, runs
# korvexe.exe -explode on each once from the page cache and prints seconds, microseconds per
# structure and peak resident memory. A flat microseconds column means linear growth.
# Deletes everything it made. Usage: explode_many_bench.sh BIN_DIR [N ...]  (default 25000 50000 100000 200000)
set -euo pipefail
bin="$(cd "${1:?usage: explode_many_bench.sh BIN_DIR [N ...]}" && pwd)"
shift
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(25000 50000 100000 200000)
work=$(mktemp -d /tmp/korvex_explode_many.XXXXXX)
trap 'rm -rf "$work"' EXIT

make_layout() {  # N FILE
  python3 - "$1" "$2" <<'PY'
import struct, sys
n, path = int(sys.argv[1]), sys.argv[2]
def rec(t, dt, data=b""):
    return struct.pack(">HBB", 4 + len(data), t, dt) + data
def i16(*v): return b"".join(struct.pack(">h", x) for x in v)
def i32(*v): return b"".join(struct.pack(">i", x) for x in v)
def text(t):
    b = t.encode()
    return b + b"\0" * (len(b) % 2)
units = bytes.fromhex("3e4189374bc6a7f0") + bytes.fromhex("3944b82fa09b5a54")  # 0.001, 1e-9
with open(path, "wb") as f:
    f.write(rec(0, 2, i16(600)) + rec(1, 2, i16(*[0] * 12)) + rec(2, 6, text("LIB")) + rec(3, 5, units))
    square = rec(8, 0) + rec(0xD, 2, i16(1)) + rec(0xE, 2, i16(0)) + rec(0x10, 3, i32(0, 0, 10, 0, 10, 10, 0, 10, 0, 0)) + rec(0x11, 0)
    for k in range(n):
        f.write(rec(5, 2, i16(*[0] * 12)) + rec(6, 6, text("S%d" % k)) + square + rec(7, 0))
    f.write(rec(4, 0))
PY
}

printf "%-12s %9s %14s %12s\n" "structures" "seconds" "us/structure" "peak RSS MB"
for n in "${counts[@]}"; do
  make_layout "$n" "$work/in.gds"
  cat "$work/in.gds" >/dev/null
  (cd "$work" && /usr/bin/time -f "%e %M" -o time.txt "$bin/korvexe.exe" in.gds out.gds "" -explode >/dev/null 2>&1) || true
  read -r secs rss < <(tail -1 "$work/time.txt")
  awk -v n="$n" -v s="$secs" -v r="$rss" 'BEGIN { printf "%-12d %9.2f %14.1f %12.1f\n", n, s, s * 1e6 / n, r / 1024 }'
done
