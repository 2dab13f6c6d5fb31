#!/usr/bin/env bash
# Growth benchmark: for generated layouts of several sizes (default 100M 1G 4G, gdsgen --seed 7),
# prints for each job the median time of RUNS runs from the page cache, its peak resident
# memory and its peak anonymous memory (heap and stacks: what does not come from the mapped
# file), beside cat and cp of the same file. Jobs: the scanner, and the engine with the switches
# the window passes: copy, keep 10 of the 50 layers renumbered, and the dry runs of both; then the
# viewer's index and first drawing at fit (bench_viewer, once, with its own figures). Flattening
# grows with the hierarchy rather than the file: bench/engine/explode_bench.sh shows it.
# Needs twice the largest size free in /tmp; deletes what it made.
# Usage: growth_bench.sh BIN_DIR [RUNS] [SIZE...]
set -euo pipefail
bin="${1:?usage: growth_bench.sh BIN_DIR [RUNS] [SIZE...]}"
runs="${2:-3}"
shift 2 || shift $#
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100M 1G 4G)
command -v /usr/bin/time >/dev/null || { echo "growth_bench: /usr/bin/time is missing (scripts/setup installs it)" >&2; exit 1; }
# shellcheck source=../measure.sh
source "$(dirname "$0")/../measure.sh"

work=$(mktemp -d /tmp/korvex_growth_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
gds="$work/in.gds"
out="$work/out.gds"
window=(-min:0.000000 -tmag:1000000.000000)
keep=(TOP -i1,2,3,4,5,6,7,8,10,11 -X -lyr1-11:101-111 "${window[@]}")
copy=(TOP -x -X "${window[@]}")
cd "$work"

printf "%-6s %-28s %9s %9s %12s %12s\n" "size" "job" "seconds" "x cat/cp" "peak RSS MB" "peak anon MB"
for size in "${sizes[@]}"; do
  "$bin/gdsgen" --seed 7 --size "$size" -o "$gds" >/dev/null
  cat "$gds" >/dev/null
  show() {  # LABEL BASE_SECONDS SECONDS RSS_KB ANON_KB
    awk -v z="$size" -v l="$1" -v b="$2" -v s="$3" -v r="$4" -v a="$5" 'BEGIN {
      printf "%-6s %-28s %9.3f %9s %12.1f %12s\n", z, l, s, (b > 0 ? sprintf("%.2f", s / b) : "-"), r / 1024, (a > 0 ? sprintf("%.1f", a / 1024) : "-") }'
  }
  row() {  # LABEL BASE_SECONDS CMD...
    local label=$1 base=$2
    shift 2
    show "$label" "$base" $(median_of "$runs" "$@")
  }
  read -r cat_s cat_rss cat_anon < <(median_of "$runs" cat "$gds")
  read -r cp_s cp_rss cp_anon < <(median_of "$runs" cp "$gds" "$out")
  show "cat" "$cat_s" "$cat_s" "$cat_rss" "$cat_anon"
  show "cp" "$cp_s" "$cp_s" "$cp_rss" "$cp_anon"
  row "scan (x cat)" "$cat_s" "$bin/quarn.exe" "$gds" "-o:$work/report.ssn"
  row "copy (x cp)" "$cp_s" "$bin/korvexe.exe" "$gds" "$out" "${copy[@]}"
  row "keep 10 layers (x cp)" "$cp_s" "$bin/korvexe.exe" "$gds" "$out" "${keep[@]}"
  row "dry run copy (x cat)" "$cat_s" "$bin/korvexe.exe" "$gds" "$out" "${copy[@]}" -dryrun
  row "dry run keep 10 (x cat)" "$cat_s" "$bin/korvexe.exe" "$gds" "$out" "${keep[@]}" -dryrun
  if [ -x "$bin/../bench-bin/bench_viewer" ]; then
    QT_QPA_PLATFORM=offscreen "$bin/../bench-bin/bench_viewer" --file "$gds" --no-klayout 2>/dev/null |
      grep -E "index|fit|peak resident" | sed "s/^/$size   viewer/"
  fi
  rm -f "$gds" "$out" "$work/report.ssn"
done
