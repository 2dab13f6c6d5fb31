#!/usr/bin/env bash
# gzip benchmark: makes a layout of about 1 GB with gdsgen in /tmp, compresses it with
# `gzip -6`, then measures from the page cache: `gzip -dc FILE >/dev/null` (the reference),
# our inflaters and deflaters (ISA-L and zlib) and quarn.exe on the compressed and the plain
# file. Prints the figures side by side and deletes the files.
# Usage: gzip_bench.sh BIN_DIR BENCH_BIN_DIR [SIZE] [RUNS]     (SIZE as for gdsgen, default 1G)
set -euo pipefail
bin="${1:?usage: gzip_bench.sh BIN_DIR BENCH_BIN_DIR [SIZE] [RUNS]}"
bench="${2:?usage: gzip_bench.sh BIN_DIR BENCH_BIN_DIR [SIZE] [RUNS]}"
size="${3:-1G}"
runs="${4:-3}"
command -v hyperfine >/dev/null || { echo "gzip_bench: hyperfine is missing (scripts/setup installs it)" >&2; exit 1; }

work=$(mktemp -d /tmp/korvex_gzip_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
gds="$work/bench.gds"
echo "Generating a $size layout and compressing it with gzip -6 in $work ..."
"$bin/gdsgen" --seed 7 --size "$size" -o "$gds"
start=$(date +%s.%N)
gzip -6 -c "$gds" > "$gds.gz"
gzip_s=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
bytes=$(stat -c %s "$gds")
packed=$(stat -c %s "$gds.gz")
cat "$gds" "$gds.gz" >/dev/null  # into the page cache

median_time() {
  local n="$1"; shift
  hyperfine --style none --warmup 1 --runs "$n" --export-csv "$work/t.csv" "$*" >/dev/null
  awk -F, 'NR == 2 { print $7 }' "$work/t.csv"  # the median column
}

echo "Measuring on $(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB, $(awk -v b="$packed" 'BEGIN { printf "%.1f", b / 1e6 }') MB compressed ($(nproc) processors, load average $(cut -d' ' -f1 /proc/loadavg)); gzip -6 took $gzip_s s"
gunzip_s=$(median_time "$runs" "gzip -dc $gds.gz")
cat_s=$(median_time "$runs" "cat $gds")
scan_gz_s=$(median_time "$runs" "$bin/quarn.exe $gds.gz -sh -sea -elmcnt -dtp -o:$work/gz.ssn")
scan_s=$(median_time "$runs" "$bin/quarn.exe $gds -sh -sea -elmcnt -dtp -o:$work/plain.ssn")
echo
"$bench/bench_gzip" "$gds" "$gds.gz" "$runs"
echo
printf '%-42s %10s %12s\n' "job" "time (s)" "x gzip -dc"
ratio() { awk -v s="$1" -v r="$gunzip_s" 'BEGIN { printf "%.2f", s / r }'; }
printf '%-42s %10.3f %12s\n' "gzip -dc FILE.gz >/dev/null (reference)" "$gunzip_s" "1.00"
printf '%-42s %10.3f %12s\n' "cat FILE >/dev/null" "$cat_s" "$(ratio "$cat_s")"
printf '%-42s %10.3f %12s\n' "quarn.exe on the plain file" "$scan_s" "$(ratio "$scan_s")"
printf '%-42s %10.3f %12s\n' "quarn.exe on FILE.gz (inflate + scan)" "$scan_gz_s" "$(ratio "$scan_gz_s")"
awk -v s="$scan_gz_s" -v r="$gunzip_s" 'BEGIN {
  printf "Target: inflate + scan under 2x gzip -dc: %s (%.2fx)\n", (s < 2 * r ? "met" : "NOT met"), s / r }'
