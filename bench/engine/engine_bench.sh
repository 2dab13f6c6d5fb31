#!/usr/bin/env bash
# Engine benchmark: makes a layout of about 1 GB with gdsgen in /tmp and runs, once each, on the
# same file from the page cache:
#   copy     korvexe.exe keeping every layer | KLayout strm2gds      | cp (the machine's limit)
#   index    korvexe.exe's index pass alone (an unknown TOP ends the run right after it)
#   dry run  korvexe.exe -dryrun of the copy and of the layers job: every pass, nothing written
#   layers   korvexe.exe keeping 10 layers and renumbering them | a KLayout script doing the same
#   explode  korvexe.exe flattening TOP | a KLayout script flattening TOP
# The generated hierarchy multiplies out fast: the TOP of a 1 GB layout flattens to far more
# than 100 GB, so explode runs on a smaller layout of its own (EXPLODE_SIZE, default 32M,
# about 3.7 GB flat). Prints seconds, MB/s of input, peak resident memory, and for korvexe.exe its peak
# anonymous memory (heap and stacks: the mapped input pages excluded), with the output size.
# Deletes everything it made. Usage: engine_bench.sh BIN_DIR [SIZE] [EXPLODE_SIZE]  (as for gdsgen)
set -euo pipefail
bin="${1:?usage: engine_bench.sh BIN_DIR [SIZE]}"
size="${2:-1G}"
explode_size="${3:-32M}"
command -v /usr/bin/time >/dev/null || { echo "engine_bench: /usr/bin/time is missing (scripts/setup installs it)" >&2; exit 1; }
have_klayout=0
if [ -x /usr/lib/klayout/strm2gds ] && command -v klayout >/dev/null; then have_klayout=1; fi

work=$(mktemp -d /tmp/korvex_engine_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
gds="$work/bench.gds"
out="$work/out.gds"

echo "Generating a $size layout in $work ..."
"$bin/gdsgen" --seed 7 --size "$size" -o "$gds"
bytes=$(stat -c %s "$gds")
cat "$gds" >/dev/null  # into the page cache

# Ten of the generator's layers, renumbered to 101..111.
keep="1,2,3,4,5,6,7,8,10,11"
tail_switches=(-min:0.000000 -tmag:1000000.000000)

# A layer map text keeps every datatype of a layer and gives it its new number.
cat >"$work/keep.py" <<'PY'
import pya
ly = pya.Layout()
opt = pya.LoadLayoutOptions()
opt.create_other_layers = False
opt.layer_map = pya.LayerMap.from_string("\n".join("%s/* : %d/*" % (l, 100 + int(l)) for l in keep.split(",")))
ly.read(src, opt)
ly.write(dst)
PY
cat >"$work/flat.py" <<'PY'
import pya
ly = pya.Layout()
ly.read(src)
top = ly.cell("TOP")
top.flatten(-1, True)
ly.write(dst)
PY

printf "\nInput: %s bytes (%.1f MB)\n\n" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')"
printf "%-34s %9s %9s %12s %12s %11s\n" "job" "seconds" "MB/s" "peak RSS MB" "peak anon MB" "output MB"

# shellcheck source=../measure.sh
source "$(dirname "$0")/../measure.sh"

# run LABEL CMD...: runs once (see measure), then prints one row.
run() {
  local label="$1"; shift
  rm -f "$out"
  local secs rss peak status
  read -r secs rss peak status < <(measure "$@")
  [ "$status" = 0 ] || [ "$expect_failure" = 1 ] || echo "($label ended with status $status)" >&2
  local outmb="-" rate_bytes="$bytes"
  [ -f "$out" ] && outmb=$(awk -v b="$(stat -c %s "$out")" 'BEGIN { printf "%.1f", b / 1e6 }')
  [ "$rate_of_output" = 1 ] && [ -f "$out" ] && rate_bytes=$(stat -c %s "$out")
  awk -v l="$label" -v s="$secs" -v r="$rss" -v a="$peak" -v b="$rate_bytes" -v o="$outmb" 'BEGIN {
    printf "%-34s %9.2f %9.1f %12.1f %12s %11s\n", l, s, (s > 0 ? b / 1e6 / s : 0), r / 1024, (a > 0 ? sprintf("%.1f", a / 1024) : "-"), o }'
}

rate_of_output=0
expect_failure=0
cd "$work"
run "cp" cp "$gds" "$out"
expect_failure=1
# A dry run: a real one would start copying the input before it finds no such TOP.
run "korvexe index pass only" "$bin/korvexe.exe" "$gds" "$out" NO_SUCH_TOP -x -X "${tail_switches[@]}" -dryrun
expect_failure=0
run "korvexe dry run copy" "$bin/korvexe.exe" "$gds" "$out" TOP -x -X "${tail_switches[@]}" -dryrun
run "korvexe dry run keep 10, renumber" "$bin/korvexe.exe" "$gds" "$out" TOP "-i$keep" -X -lyr1-11:101-111 "${tail_switches[@]}" -dryrun
run "korvexe copy (all layers)" "$bin/korvexe.exe" "$gds" "$out" TOP -x -X "${tail_switches[@]}"
[ $have_klayout = 1 ] && run "KLayout strm2gds copy" env LD_LIBRARY_PATH=/usr/lib/klayout /usr/lib/klayout/strm2gds "$gds" "$out"
run "korvexe keep 10 layers, renumber" "$bin/korvexe.exe" "$gds" "$out" TOP "-i$keep" -X -lyr1-11:101-111 "${tail_switches[@]}"
[ $have_klayout = 1 ] && run "KLayout keep 10 layers, renumber" klayout -b -r "$work/keep.py" -rd "src=$gds" -rd "dst=$out" -rd "keep=$keep"
rm -f "$gds" "$out"
echo
echo "Generating a $explode_size layout for flattening ..."
"$bin/gdsgen" --seed 7 --size "$explode_size" -o "$gds"
bytes=$(stat -c %s "$gds")
cat "$gds" >/dev/null
printf "Input: %s bytes (%.1f MB); MB/s below are of output written\n\n" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')"
rate_of_output=1
run "korvexe explode TOP" "$bin/korvexe.exe" "$gds" "$out" TOP -x -X -explode "${tail_switches[@]}"
[ $have_klayout = 1 ] && run "KLayout flatten TOP" klayout -b -r "$work/flat.py" -rd "src=$gds" -rd "dst=$out"
[ $have_klayout = 1 ] || echo "(KLayout is not installed: its rows are missing)"
