#!/usr/bin/env bash
# Korvex in a real X session under a stacking window manager (Openbox, on Xvfb), as a user
# meets it: a start on the placement an earlier run stored, the control panel kept above the
# main window after a click on it, Exit with the help window open ending the program, and a
# second start on the profile the first one wrote.
# Usage: window_manager_test.sh BIN_DIR. Exit 77 (skipped) when Xvfb, Openbox or xdotool is missing.
set -uo pipefail
bin="$(cd "${1:?usage: window_manager_test.sh BIN_DIR}" && pwd)"
for tool in xvfb-run openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ -z "${KORVEX_IN_XVFB:-}" ]; then
  export KORVEX_IN_XVFB=1
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Helvorn"
printf '[Korvex]\nWindowTopX=479\nWindowTopY=419\nWindowBotX=1179\nWindowBotY=919\nWindowshowCmd=0\n' \
  >"$XDG_CONFIG_HOME/Helvorn/Korvex.ini"
openbox >/dev/null 2>&1 &
sleep 1
cd "$work"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The largest visible window titled KORVEX is the main window; the other is the panel.
main_window() {
  for w in $(xdotool search --onlyvisible --name '^KORVEX$' 2>/dev/null); do
    echo "$(xdotool getwindowgeometry "$w" | awk '/Geometry/ { split($2, s, "x"); print s[1] * s[2] }') $w"
  done | sort -n | tail -1 | cut -d' ' -f2
}
wait_for_window() {
  for _ in $(seq 100); do
    w=$(main_window)
    [ -n "$w" ] && { echo "$w"; return; }
    sleep 0.1
  done
}

"$bin/korvex" >"$work/first.out" 2>&1 &
pid=$!
main=$(wait_for_window)
[ -n "$main" ] || { echo "FAILED: no main window"; cat "$work/first.out"; exit 1; }
sleep 1
geometry=$(xdotool getwindowgeometry "$main" | awk '/Geometry/ { print $2 }')
[ "$geometry" = "700x500" ] || fail "stored size not restored: $geometry"

panel=$(xdotool search --onlyvisible --name '^KORVEX$' | grep -v "^$main\$" | head -1)
[ -n "$panel" ] || fail "no control panel"
xdotool windowsize "$main" 1600 1150
xdotool mousemove 20 1000 click 1
sleep 0.5
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
main_hex=$(printf '0x%x' "$main")
panel_hex=$(printf '0x%x' "${panel:-0}")
below=$(echo "$stacking" | tr ' ' '\n' | grep -n -x -e "$main_hex" -e "$panel_hex" | head -1 | cut -d: -f2)
[ "$below" = "$main_hex" ] || fail "the control panel dropped behind the main window ($stacking)"

xdotool windowactivate --sync "$main" key F1 2>/dev/null
sleep 1
xdotool search --onlyvisible --name 'KORVEX Help' >/dev/null || fail "the help window did not open"
xdotool windowactivate --sync "$main" key alt+f 2>/dev/null
sleep 0.3
xdotool key x
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  fail "Exit with the help window open left the program running"
  kill $pid
fi
wait $pid 2>/dev/null

"$bin/korvex" >/dev/null 2>&1 &
pid=$!
main=$(wait_for_window)
[ -n "$main" ] || fail "the second start on the written profile showed no window"
sleep 0.5
kill -0 $pid 2>/dev/null || fail "the second start ended"
kill $pid 2>/dev/null
wait $pid 2>/dev/null

[ $failures -eq 0 ] && echo "window manager test: passed"
exit $((failures > 0))
