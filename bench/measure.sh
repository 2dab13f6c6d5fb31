# Sourced by the benchmark scripts. measure CMD...: runs CMD once (its output to /dev/null)
# and prints "SECONDS PEAK_RSS_KB PEAK_ANON_KB STATUS": wall time, peak resident memory (mapped
# file pages included), the peak anonymous memory (heap and stacks) of CMD or, when CMD is a
# wrapper, of its first child, sampled every 5 ms, and CMD's exit status.
measure() {
  local times
  times=$(mktemp)
  /usr/bin/time -f "%e %M" -o "$times" "$@" >/dev/null 2>&1 &
  local tpid=$! peak=0 pid v
  while kill -0 "$tpid" 2>/dev/null; do
    pid=$(pgrep -P "$tpid" | head -1 || true)
    if [ -n "$pid" ]; then
      v=$(awk '/^RssAnon:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
    fi
    sleep 0.005
  done
  local status=0
  wait "$tpid" || status=$?
  # A failing command has its status on a line of its own before the figures.
  local secs rss
  read -r secs rss < <(tail -n 1 "$times")
  rm -f "$times"
  echo "$secs $rss $peak $status"
}

# median_of RUNS CMD...: runs CMD RUNS times through measure; prints the median seconds and
# the largest peaks.
median_of() {
  local runs=$1 i
  shift
  for ((i = 0; i < runs; i++)); do measure "$@"; done |
    sort -n | awk '{ s[NR] = $1; if ($2 > r) r = $2; if ($3 > a) a = $3 }
                   END { printf "%s %d %d\n", s[int((NR + 1) / 2)], r, a }'
}
