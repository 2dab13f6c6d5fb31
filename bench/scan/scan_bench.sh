#!/usr/bin/env bash
# Scanner benchmark: makes a layout of about 1 GB with gdsgen in /tmp, then measures, on the
# same file from the page cache, quarn.exe, KLayout reading it (the independent reader) and
# `cat FILE >/dev/null` (the machine's limit): time with hyperfine, peak memory with
# /usr/bin/time -v and by sampling the scanner's anonymous memory (its mapped file pages
# excluded). Then cat, the scan and the scan with its progress lines on (KORVEX_PROGRESS_FD, to a
# file) are timed in turns, and their medians compared; a smaller layout made alike (100 MB)
# takes its turns with them, and against the large one it shows the scan's fixed cost, what it
# spends besides reading (threads, hierarchy, report, writing), also timed step by step with
# scan_phases when that is built. Prints the figures side by side and deletes the files.
# Usage: scan_bench.sh BIN_DIR [SIZE] [RUNS] [SMALL_SIZE]   (sizes as for gdsgen, default 1G, 100M)
set -euo pipefail
bin="${1:?usage: scan_bench.sh BIN_DIR [SIZE] [RUNS]}"
size="${2:-1G}"
runs="${3:-5}"
small_size="${4:-100M}"
for tool in hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "scan_bench: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/korvex_scan_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
gds="$work/bench.gds"
report="$work/bench.ssn"

echo "Generating a $size layout in $work ..."
gen_start=$(date +%s.%N)
"$bin/gdsgen" --seed 7 --size "$size" -o "$gds"
gen_end=$(date +%s.%N)
bytes=$(stat -c %s "$gds")
mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
cat "$gds" >/dev/null  # into the page cache

# Peak resident memory in kB from /usr/bin/time -v.
peak_rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'; }

# Peak anonymous memory (heap, stacks; not the mapped file) of a command, sampled every 5 ms.
peak_anon() {
  "$@" >/dev/null 2>&1 &
  local pid=$! peak=0 v
  while kill -0 "$pid" 2>/dev/null; do
    v=$(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
    sleep 0.005
  done
  wait "$pid" || true
  echo "$peak"
}

# Mean seconds of a command over a number of runs (hyperfine, output discarded).
mean_time() {
  local n="$1"; shift
  hyperfine --style none --warmup 1 --runs "$n" --export-csv "$work/t.csv" "$*" >/dev/null 2>&1 \
    || hyperfine --style none --runs "$n" --export-csv "$work/t.csv" "$*" >/dev/null
  awk -F, 'NR == 2 { print $2 }' "$work/t.csv"
}

# Seconds of one run of a shell command.
seconds_of() {
  local s e
  s=$(date +%s.%N); bash -c "$1" >/dev/null 2>&1; e=$(date +%s.%N)
  awk -v s="$s" -v e="$e" 'BEGIN { print e - s }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Medians of N runs of each command, run in turns (A B C A B C ...) so that a change in the
# machine's load falls on all of them alike; one line each. A first round warms up.
medians_in_turns() {
  local n="$1" i k c t
  shift
  for ((k = 1; k <= $#; k++)); do : > "$work/m$k.txt"; done
  for ((i = 0; i <= n; i++)); do
    k=1
    for c in "$@"; do
      t=$(seconds_of "$c")
      if [ "$i" -gt 0 ]; then echo "$t" >> "$work/m$k.txt"; fi
      k=$((k + 1))
    done
  done
  for ((k = 1; k <= $#; k++)); do median < "$work/m$k.txt"; done
}

quarn_cmd=("$bin/quarn.exe" "$gds" -sh -sea -elmcnt -dtp "-o:$report")
echo "Measuring cat, quarn.exe and KLayout on $mb MB ($(nproc) processors, load average $(cut -d' ' -f1 /proc/loadavg)) ..."
cat_s=$(mean_time "$runs" "cat $gds")
quarn1_s=$(mean_time "$runs" "${quarn_cmd[*]} -threads:1")
quarn_s=$(mean_time "$runs" "${quarn_cmd[*]}")
quarn_rss=$(peak_rss "${quarn_cmd[@]}")
quarn_anon=$(peak_anon "${quarn_cmd[@]}")
structures=$(awk -F': ' '/^Structures: / { print $2; exit }' "$report")
# The small layout, made alike, is timed in the same turns as the large one, so that both
# meet the same load: the fixed cost shows from the two sizes (time = fixed + bytes / rate).
small_gds="$work/small.gds"
"$bin/gdsgen" --seed 7 --size "$small_size" -o "$small_gds" >/dev/null
small_bytes=$(stat -c %s "$small_gds")
cat "$small_gds" >/dev/null
small_cmd=("$bin/quarn.exe" "$small_gds" -sh -sea -elmcnt -dtp "-o:$work/small.ssn")
turns=$((runs * 2 + 1))
mapfile -t turn_s < <(medians_in_turns "$turns" "cat $gds" "${quarn_cmd[*]}" \
  "KORVEX_PROGRESS_FD=3 ${quarn_cmd[*]} 3>$work/progress.txt" "cat $small_gds" "${small_cmd[*]}")
small_s=("${turn_s[3]}" "${turn_s[4]}")
progress_lines=$(wc -l < "$work/progress.txt")

kl_s="-"; kl_rss="-"
if command -v klayout >/dev/null; then
  cat > "$work/read.py" <<'PY'
import pya
ly = pya.Layout()
ly.read(fn)
for c in ly.top_cells():
    c.bbox()
PY
  kl_s=$(mean_time 2 "klayout -b -r $work/read.py -rd fn=$gds")
  kl_rss=$(peak_rss klayout -b -r "$work/read.py" -rd fn="$gds")
fi

rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { if (s == "-" || s == 0) print "-"; else printf "%.0f", b / 1e6 / s }'; }
mbk() { awk -v k="$1" 'BEGIN { if (k == "-") print "-"; else printf "%.0f", k / 1024 }'; }

echo
echo "Input: $mb MB, $structures structures, generated in $(awk -v a="$gen_start" -v b="$gen_end" 'BEGIN { printf "%.1f", b - a }') s"
printf '%-34s %10s %10s %16s\n' "reader" "time (s)" "MB/s" "peak memory (MB)"
printf '%-34s %10.3f %10s %16s\n' "cat FILE >/dev/null (limit)" "$cat_s" "$(rate "$cat_s")" "-"
printf '%-34s %10.3f %10s %16s\n' "quarn.exe, one thread" "$quarn1_s" "$(rate "$quarn1_s")" "-"
printf '%-34s %10.3f %10s %16s\n' "quarn.exe (whole scan + report)" "$quarn_s" "$(rate "$quarn_s")" "$(mbk "$quarn_rss") RSS"
printf '%-34s %10s %10s %16s\n' "  without the mapped file pages" "" "" "$(mbk "$quarn_anon") anon"
if [ "$kl_s" != "-" ]; then
  printf '%-34s %10.3f %10s %16s\n' "KLayout (read + top bbox)" "$kl_s" "$(rate "$kl_s")" "$(mbk "$kl_rss") RSS"
else
  echo "KLayout: not installed, skipped"
fi
echo
echo "Progress lines: medians of $turns runs in turns"
times_cat() { awk -v a="$1" -v c="${turn_s[0]}" 'BEGIN { printf "%.2f x cat", a / c }'; }
printf '%-34s %10.3f %10s %16s\n' "cat FILE >/dev/null" "${turn_s[0]}" "$(rate "${turn_s[0]}")" "1.00 x cat"
printf '%-34s %10.3f %10s %16s\n' "quarn.exe" "${turn_s[1]}" "$(rate "${turn_s[1]}")" "$(times_cat "${turn_s[1]}")"
printf '%-34s %10.3f %10s %16s\n' "quarn.exe, KORVEX_PROGRESS_FD set" "${turn_s[2]}" "$(rate "${turn_s[2]}")" \
  "$(times_cat "${turn_s[2]}")"
awk -v a="${turn_s[1]}" -v p="${turn_s[2]}" -v l="$progress_lines" 'BEGIN {
  printf "Progress cost: %+.1f%% (%d lines in a scan); target < 1%%: %s\n", (p / a - 1) * 100, l, (p / a - 1 < 0.01 ? "met" : "NOT met") }'
echo
echo "The small layout ($(awk -v b="$small_bytes" 'BEGIN { printf "%.1f", b / 1e6 }') MB), in the same turns"
printf '%-34s %10.3f %10s %16s\n' "cat FILE >/dev/null" "${small_s[0]}" \
  "$(awk -v b="$small_bytes" -v s="${small_s[0]}" 'BEGIN { printf "%.0f", b / 1e6 / s }')" "1.00 x cat"
printf '%-34s %10.3f %10s %16s\n' "quarn.exe (whole scan + report)" "${small_s[1]}" \
  "$(awk -v b="$small_bytes" -v s="${small_s[1]}" 'BEGIN { printf "%.0f", b / 1e6 / s }')" \
  "$(awk -v a="${small_s[1]}" -v c="${small_s[0]}" 'BEGIN { printf "%.2f x cat", a / c }')"
awk -v t1="${small_s[1]}" -v b1="$small_bytes" -v t2="${turn_s[1]}" -v b2="$bytes" 'BEGIN {
  rate = (b2 - b1) / (t2 - t1); fixed = t1 - b1 / rate
  printf "Scan cost: %.3f s fixed + %.0f MB/s; the small layout in at most 0.1 s: %s (%.3f s)\n", fixed, rate / 1e6,
    (t1 <= 0.1 ? "met" : "NOT met"), t1 }'
# The steps one by one, when the benchmarks are built beside the programs.
if [ -x "$bin/../bench-bin/scan_phases" ]; then
  echo
  echo "The small layout's steps (best of 5; scan_phases):"
  "$bin/../bench-bin/scan_phases" "$small_gds" 5 | sed 's/^/  /'
fi

awk -v b="$bytes" -v s="${turn_s[1]}" -v a="$quarn_anon" 'BEGIN {
  printf "Targets: scan >= 1500 MB/s (median in turns): %s (%.0f); memory without mapped pages < 10%% of the file (%.0f MB): %s (%.0f MB)\n",
    (b / 1e6 / s >= 1500 ? "met" : "NOT met"), b / 1e6 / s, b / 1e6 / 10, (a * 1024 < b / 10 ? "met" : "NOT met"), a / 1024 }'
