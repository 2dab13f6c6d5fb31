#!/usr/bin/env bash
# Compares the scan reports of two quarn.exe builds byte for byte: on the benchmark layouts
# (gdsgen --seed 7, 100 MB and 1 GB, made in /tmp and deleted) and on every layout in a folder.
# Prints one line per layout and exits 1 when any report differs.
# Usage: same_reports.sh OLD_QUARN NEW_QUARN GDSGEN [LAYOUT_DIR]
set -euo pipefail
old="${1:?usage: same_reports.sh OLD_QUARN NEW_QUARN GDSGEN [LAYOUT_DIR]}"
new="${2:?usage: same_reports.sh OLD_QUARN NEW_QUARN GDSGEN [LAYOUT_DIR]}"
gen="${3:?usage: same_reports.sh OLD_QUARN NEW_QUARN GDSGEN [LAYOUT_DIR]}"
dir="${4:-/work/shared/testdata/gds}"

work=$(mktemp -d /tmp/korvex_same_reports.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$gen" --seed 7 --size 100M -o "$work/bench_100M.gds" >/dev/null
"$gen" --seed 7 --size 1G -o "$work/bench_1G.gds" >/dev/null

differ=0
compare() {
  local gds="$1" rc_old=0 rc_new=0
  "$old" "$gds" -o:"$work/old.ssn" 2>"$work/old.err" || rc_old=$?
  "$new" "$gds" -o:"$work/new.ssn" 2>"$work/new.err" || rc_new=$?
  if [ "$rc_old" != "$rc_new" ]; then
    echo "DIFFERENT exit $rc_old / $rc_new: $gds"; differ=1
  elif [ "$rc_old" != 0 ]; then
    if cmp -s "$work/old.err" "$work/new.err"; then echo "same (refused alike): $gds"; else echo "DIFFERENT messages: $gds"; differ=1; fi
  elif cmp -s "$work/old.ssn" "$work/new.ssn" && cmp -s "$work/old.err" "$work/new.err"; then
    echo "same ($(wc -l < "$work/new.ssn") lines): $gds"
  else
    echo "DIFFERENT: $gds"; cmp "$work/old.ssn" "$work/new.ssn" || true; differ=1
  fi
  rm -f "$work/old.ssn" "$work/new.ssn"
}
for gds in "$work/bench_100M.gds" "$work/bench_1G.gds" "$dir"/*; do
  [ -f "$gds" ] && compare "$gds"
done
[ "$differ" = 0 ] && echo "All reports identical." || echo "Some reports differ."
exit "$differ"
