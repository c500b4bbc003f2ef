#!/usr/bin/env bash
# paxlet.exe as a user plays it: started under Wine on the (virtual) display,
# driven with real X input through xdotool, checked on screenshots at the
# positions that the board geometry gives, and finally closed while the
# computer thinks, which must end the process cleanly.
# Usage: end_to_end.sh wine-gui.sh paxlet.exe    (needs DISPLAY)
set -euo pipefail
wine_run=$1
program=$2

work=$(mktemp -d)
wine_pid=
cleanup() {
    if [ -n "$wine_pid" ] && kill -0 "$wine_pid" 2>/dev/null; then kill "$wine_pid" || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "end_to_end: FAILED: $*" >&2
    echo "end_to_end: Wine's output, last lines:" >&2
    tail -n 15 "$work/wine.log" >&2 || true
    [ -f "$work/shot.png" ] && cp "$work/shot.png" "${TMPDIR:-/tmp}/paxlet-end-to-end-failure.png" &&
        echo "end_to_end: last screenshot kept in ${TMPDIR:-/tmp}/paxlet-end-to-end-failure.png" >&2
    exit 1
}
step() { echo "end_to_end: $*"; }

# Colours as ImageMagick prints them.
P1=F0C800        # RGB(240, 200, 0)
P2=5F96DC        # RGB(95, 150, 220)
LAST=C8E61E      # RGB(200, 230, 30)
GRID=B4B4B4      # RGB(180, 180, 180)
LABEL=00B400     # RGB(0, 180, 0)

"$wine_run" "$program" >"$work/wine.log" 2>&1 &
wine_pid=$!

# Without a window manager Wine maps the client area as the X window, so its
# geometry is the client rectangle on the screen.
window=
for _ in $(seq 600); do
    window=$(xdotool search --name '^Paxlet AI$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$wine_pid" 2>/dev/null || fail "paxlet.exe ended before showing its window"
    sleep 0.1
done
[ -n "$window" ] || fail "no window titled \"Paxlet AI\" appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"   # X Y WIDTH HEIGHT
step "client area ${WIDTH}x${HEIGHT} at ${X},${Y}"

# Board geometry for 4 dots per side.
cw=$(((WIDTH - 180) / 3))
ch=$(((HEIGHT - 60) / 3))
dot_x() { echo $((150 + $1 * cw)); }
dot_y() { echo $((30 + $1 * ch)); }

shoot() { import -window root "$work/shot.png"; }
# Colours at client positions "x,y x,y ...", printed space-separated.
colours() {
    local format=""
    for point in "$@"; do format+="%[hex:p{$((X + ${point%,*})),$((Y + ${point#*,}))}] "; done
    convert "$work/shot.png" -format "$format" info:
}
# Midpoint of a line: h|v, column, row of its first dot.
mid() {
    if [ "$1" = h ]; then echo "$(($(dot_x "$2") + cw / 2)),$(dot_y "$3")"
    else echo "$(dot_x "$2"),$(($(dot_y "$3") + ch / 2))"; fi
}
# Waits until the line at the midpoint shows the colour (the window repaints
# asynchronously).
expect_line() {
    local name=$1 point=$2 colour=$3 got=
    for _ in $(seq 100); do
        shoot
        got=$(colours "$point" | tr -d ' ')
        [ "$got" = "$colour" ] && { step "$name is $colour"; return 0; }
        sleep 0.2
    done
    fail "$name at $point is $got, expected $colour"
}
click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# Buttons and fields of the control column, by their top edge.
control() { click_at 55 $(($1 + 10)); }
type_into() {
    control "$1"
    xdotool key --delay 20 End $(printf 'BackSpace %.0s' $(seq 12))
    xdotool type --delay 40 "$2"
}
MOVE_FIELD=320 TIME_FIELD=280 EXECUTE=360 AI_DO_MOVE=380

# The first paint: the whole grid in the grid pen, the list box where it
# belongs (which also checks that the X window is the client area).
expect_line "A1-B1 (undrawn)" "$(mid h 0 0)" "$GRID"
read -r -a seen <<<"$(colours 4,100 5,100 50,100)"
[ "${seen[0]}" = E3E3E3 ] && [ "${seen[1]}" != E3E3E3 ] && [ "${seen[2]}" = FFFFFF ] ||
    fail "the list box's left border is not at client x = 5: ${seen[*]}"

step "click on the left quarter of cell B2, then Execute Move"
click_at $(($(dot_x 1) + 3)) $(($(dot_y 1) + ch / 2))
sleep 0.3
control $EXECUTE
expect_line "B2-B3 (P1, last move)" "$(mid v 1 1)" "$LAST"

step "double click on the top half of cell B2"
xdotool mousemove --window "$window" $(($(dot_x 1) + cw / 2)) $(($(dot_y 1) + ch / 3)) \
    click --repeat 2 --delay 60 1
expect_line "B2-C2 (P2, last move)" "$(mid h 1 1)" "$LAST"
expect_line "B2-B3 (P1)" "$(mid v 1 1)" "$P1"

step "type C3-D3 into the move field and press Execute Move"
type_into $MOVE_FIELD "C3-D3"
control $EXECUTE
expect_line "C3-D3 (P1, last move)" "$(mid h 2 2)" "$LAST"
expect_line "B2-C2 (P2)" "$(mid h 1 1)" "$P2"

step "time limit 500 ms, press Ai Do Move: the computer answers for P2"
type_into $TIME_FIELD "500"
control $AI_DO_MOVE
expect_line "C3-D3 (P1, no longer last)" "$(mid h 2 2)" "$P1"
# No quad has three sides, so the computer drew exactly one line.
points=()
for row in 0 1 2 3; do for column in 0 1 2; do points+=("$(mid h $column $row)"); done; done
for row in 0 1 2; do for column in 0 1 2 3; do points+=("$(mid v $column $row)"); done; done
read -r -a seen <<<"$(colours "${points[@]}")"
count() { local n=0; for c in "${seen[@]}"; do [ "$c" = "$1" ] && n=$((n + 1)); done; echo $n; }
step "lines: P1 $(count $P1), P2 $(count $P2), last $(count $LAST), grid $(count $GRID)"
[ "$(count $P1)" = 2 ] && [ "$(count $P2)" = 1 ] && [ "$(count $LAST)" = 1 ] &&
    [ "$(count $GRID)" = 20 ] || fail "expected 2 P1, 1 P2, 1 last-move and 20 grid lines"

step "long search, then close the window while the computer thinks"
type_into $TIME_FIELD "600000"
control $AI_DO_MOVE
thinking=0
for _ in $(seq 50); do
    shoot
    read -r -a seen <<<"$(colours "$((WIDTH / 2 + 20)),$((HEIGHT / 2 + 6))" \
        "$((WIDTH / 2 + 30)),$((HEIGHT / 2 + 6))" "$((WIDTH / 2 + 40)),$((HEIGHT / 2 + 6))" \
        "$((WIDTH / 2 + 50)),$((HEIGHT / 2 + 6))" "$((WIDTH / 2 + 60)),$((HEIGHT / 2 + 6))")"
    for c in "${seen[@]}"; do [ "$c" = "$LABEL" ] && thinking=1; done
    [ $thinking = 1 ] && break
    sleep 0.2
done
[ $thinking = 1 ] || fail "no status text at the centre while the computer thinks"
step "status text shown at the centre"
xdotool key alt+F4

for _ in $(seq 300); do
    kill -0 "$wine_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$wine_pid" 2>/dev/null; then fail "paxlet.exe still running 30 s after closing"; fi
status=0
wait "$wine_pid" || status=$?
wine_pid=
[ "$status" = 0 ] || fail "paxlet.exe ended with status $status"
step "paxlet.exe ended with status 0"
