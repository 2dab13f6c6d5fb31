#!/usr/bin/env bash
# Merge benchmark for definitions compared by content: a generated layout of SIZE (default
# 256M) added (-add) to itself, so that every structure of the second file is compared with
# its namesake, hashed and confirmed byte for byte, and written once; then added to a layout
# of another seed (the same names, other content: every structure compared, none alike, all
# renamed). Beside them, cp of both files into one (the machine's limit for writing the
# merged bytes). Medians of RUNS runs (default 3), from the page cache; prints seconds and
# the ratios to cp. Deletes everything it made.
# Usage: merge_shared_bench.sh BIN_DIR [SIZE] [RUNS]
set -euo pipefail
bin="$(cd "${1:?usage: merge_shared_bench.sh BIN_DIR [SIZE] [RUNS]}" && pwd)"
size="${2:-256M}"
runs="${3:-3}"

work=$(mktemp -d /tmp/korvex_merge_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "Generating two $size layouts in $work ..."
"$bin/gdsgen" --seed 7 --size "$size" -o "$work/a.gds"
cp "$work/a.gds" "$work/same.gds"
"$bin/gdsgen" --seed 8 --size "$size" -o "$work/other.gds"
cat "$work"/*.gds >/dev/null

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
seconds() {  # command... -> elapsed seconds
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
run_add() {  # second file
  echo "$1" >"$work/korvex.lst"
  (cd "$work" && "$bin/korvexe.exe" a.gds out.gds TOP -add -min:0.000000 -tmag:1000000.000000)
}
copy_both() { cat "$work/a.gds" "$1" >"$work/out.gds" && sync -f "$work/out.gds"; }

declare -A times
for name in cp_same add_same cp_other add_other; do times[$name]=""; done
for ((i = 0; i < runs; i++)); do
  times[cp_same]+="$(seconds copy_both "$work/same.gds")"$'\n'
  times[add_same]+="$(seconds run_add "$work/same.gds")"$'\n'
  grep -m1 "^Identical:" "$work/a.log" >"$work/identical.txt" || true
  times[cp_other]+="$(seconds copy_both "$work/other.gds")"$'\n'
  times[add_other]+="$(seconds run_add "$work/other.gds")"$'\n'
  grep -m1 "^Identical:" "$work/a.log" >"$work/identical_other.txt" || true
done
for name in cp_same add_same cp_other add_other; do
  printf '%s' "${times[$name]}" | median >"$work/$name.median"
done
report() {  # label, command median, cp median, note
  printf '%-34s %8.2f s  %5.2fx cp (%s)\n' "$1" "$2" "$(echo "$2 / $3" | bc -l)" "$4"
}
echo "Medians of $runs runs, $(stat -c %s "$work/a.gds") bytes per file:"
printf '%-34s %8.2f s\n' "cp of both files (alike)" "$(cat "$work/cp_same.median")"
report "korvexe.exe -add, all alike" "$(cat "$work/add_same.median")" "$(cat "$work/cp_same.median")" \
  "$(cat "$work/identical.txt")"
printf '%-34s %8.2f s\n' "cp of both files (other seed)" "$(cat "$work/cp_other.median")"
report "korvexe.exe -add, none alike" "$(cat "$work/add_other.median")" "$(cat "$work/cp_other.median")" \
  "$(cat "$work/identical_other.txt")"
