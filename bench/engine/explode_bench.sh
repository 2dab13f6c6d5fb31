#!/usr/bin/env bash
# Flattening at several sizes: for each SIZE a layout made by gdsgen --seed 7 has its TOP
# flattened by korvexe.exe (which syncs its output before renaming it), beside cp of that
# output and cp followed by a sync of the copy, all from the page cache. Medians of RUNS runs;
# prints seconds, the ratio to cp and to cp + sync, peak resident memory (mapped input pages
# included) and peak anonymous memory (heap and stacks), sampled every 5 ms. Memory that
# does not grow with the flat size is the point of the last two columns.
# Deletes each output as soon as it is measured. Usage: explode_bench.sh BIN_DIR [RUNS] [SIZE ...]
# (default 3 runs of 4M 32M 128M, flattening to about 0.6, 3.8 and 12 GB; check the free space).
set -euo pipefail
bin="$(cd "${1:?usage: explode_bench.sh BIN_DIR [RUNS] [SIZE ...]}" && pwd)"
runs="${2:-3}"
shift $(($# >= 2 ? 2 : $#))
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(4M 32M 128M)
command -v /usr/bin/time >/dev/null || { echo "explode_bench: /usr/bin/time is missing" >&2; exit 1; }

work=$(mktemp -d /tmp/korvex_explode_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
gds="$work/in.gds"
out="$work/out.gds"
copy="$work/copy.gds"

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
seconds() {  # command... -> elapsed seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
copy_plain() { cp "$out" "$copy"; }
copy_synced() { cp "$out" "$copy" && sync -f "$copy"; }

# shellcheck source=../measure.sh
source "$(dirname "$0")/../measure.sh"

# explode: one run; appends "seconds peak_rss_kb peak_anon_kb" to $work/explode.txt.
explode() {
  rm -f "$out"
  local secs rss peak status
  read -r secs rss peak status < <(cd "$work" && measure "$bin/korvexe.exe" in.gds out.gds TOP -x -X -explode \
    -min:0.000000 -tmag:1000000.000000)
  [ "$status" = 0 ] || { echo "explode_bench: korvexe.exe failed (see $work/in.log)" >&2; tail -5 "$work/in.log" >&2; exit 1; }
  echo "$secs $rss $peak" >>"$work/explode.txt"
}

echo "Load before: $(uptime)"
printf "%-6s %9s %10s %8s %8s %8s %8s %8s %12s %12s\n" "input" "flat GB" "elements" "explode" "cp" "cp+sync" \
  "x cp" "x cp+sync" "peak RSS MB" "peak anon MB"
for size in "${sizes[@]}"; do
  "$bin/gdsgen" --seed 7 --size "$size" -o "$gds" >/dev/null
  cat "$gds" >/dev/null  # into the page cache
  : >"$work/explode.txt"
  cp_times="" synced_times=""
  # Each timing starts with nothing left to write back (of this or of other programs):
  # otherwise the one after a large write waits for that.
  for ((i = 0; i < runs; i++)); do
    sync
    explode
    sync
    cp_times+="$(seconds copy_plain)"$'\n'
    rm -f "$copy"
    sync
    synced_times+="$(seconds copy_synced)"$'\n'
    rm -f "$copy"
  done
  flat=$(stat -c %s "$out")
  elements=$(awk '/^Elements written:/ { print $3 }' "$work/in.log")
  rm -f "$out"
  t=$(awk '{ print $1 }' "$work/explode.txt" | median)
  rss=$(awk '{ print $2 }' "$work/explode.txt" | sort -n | tail -1)
  anon=$(awk '{ print $3 }' "$work/explode.txt" | sort -n | tail -1)
  c=$(printf '%s' "$cp_times" | median)
  s=$(printf '%s' "$synced_times" | median)
  awk -v z="$size" -v f="$flat" -v n="$elements" -v t="$t" -v c="$c" -v s="$s" -v r="$rss" -v a="$anon" 'BEGIN {
    printf "%-6s %9.2f %10d %8.2f %8.2f %8.2f %8.2f %8.2f %12.1f %12.1f\n", z, f / 1e9, n, t, c, s, t / c, t / s, r / 1024, a / 1024 }'
done
echo "Seconds are medians of $runs runs; memory is the largest of them. Load after: $(uptime)"
