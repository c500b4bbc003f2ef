#!/usr/bin/env bash
# `make screenshot`: plays a few moves and one computer turn in paxlet.exe on
# a virtual display and saves the window's client area to docs/screenshot.png.
# Every step waits for what it needs to see, up to a deadline, rather than
# for a fixed time: Wine paints in its own time.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${1:-}" != --on-display ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target paxlet wine_desktop
    mkdir -p docs
    exec timeout 240 scripts/with-virtual-display.sh "$0" --on-display
fi

DEADLINE=30 # seconds for any one thing to show
. scripts/window_layout.sh # control positions, board margins, colours, client area

scripts/wine-gui.sh --hold-desktop build/windows/tests/window/wine_desktop.exe \
    build/windows/src/ui/paxlet.exe >/dev/null 2>&1 &
wine_pid=$!
tmp=$(mktemp --suffix=.png)
trap 'kill "$wine_pid" 2>/dev/null || true; rm -f "$tmp"' EXIT

fail() { echo "screenshot: $*" >&2; exit 1; }
# wait_for SECONDS check [args...]
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        kill -0 "$wine_pid" 2>/dev/null || fail "paxlet.exe ended early"
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

window=
X= Y= WIDTH= HEIGHT=
settled() {
    window=$(xdotool search --onlyvisible --name '^Paxlet AI$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$window")" # X Y WIDTH HEIGHT
    [ "$WIDTH" = $CLIENT_WIDTH ] && [ "$HEIGHT" = $CLIENT_HEIGHT ]
}
wait_for 150 settled || fail "the window did not appear at ${CLIENT_WIDTH}x${CLIENT_HEIGHT}"

# Colours at client positions, space-separated, on a fresh screenshot.
colours() {
    local format="" point
    for point in "$@"; do format+="%[hex:p{$((X + ${point%,*})),$((Y + ${point#*,}))}] "; done
    import -window root "$tmp" && convert "$tmp" -format "$format" info:
}
shows() { [ "$(colours "${@:2}" | tr -d ' ')" = "$1" ]; }
cw=$(((WIDTH - GRID_LEFT - GRID_RIGHT_MARGIN) / 3))
ch=$(((HEIGHT - GRID_TOP - GRID_BOTTOM_MARGIN) / 3))

# The first paint whole: grid (A1-B1's midpoint), debug button, label.
wait_for $DEADLINE shows "$GRID_COLOUR$FACE_COLOUR$FACE_COLOUR" "$((GRID_LEFT + cw / 2)),$GRID_TOP" \
    "$((CONTROL_LEFT + 5)),$((DEBUG_TOP + 10))" "$((CONTROL_LEFT + 85)),$((STATISTICS_TOP + 80))" ||
    fail "the window was not painted"

control() {
    xdotool mousemove --window "$window" $((CONTROL_LEFT + CONTROL_WIDTH / 2)) \
        $(($1 + CONTROL_HEIGHT / 2)) click 1
}
type_into() {
    control "$1"
    xdotool key --delay 20 End $(printf 'BackSpace %.0s' $(seq 12))
    xdotool type --delay 30 "$2"
}
# Green status text at the centre of the board while the computer thinks.
thinking() {
    local dx points=()
    for dx in 20 30 40 50 60; do points+=("$((WIDTH / 2 + dx)),$((HEIGHT / 2 + 6))"); done
    colours "${points[@]}" | grep -q "$LABEL_COLOUR"
}
not_thinking() { ! thinking; }
statistics() {
    import -window root -crop "90x80+$((X + CONTROL_LEFT + 5))+$((Y + STATISTICS_TOP + 5))" \
        +repage -format '%#' info:
}

# P2 closes the top left box, P1 the one beside it, then the computer answers.
for move in A1-B1 A1-A2 B1-B2 A2-B2 C1-D1 B1-C1 C1-C2 B2-C2 C3-D3 B3-B4; do
    type_into $MOVE_FIELD_TOP "$move"
    control $EXECUTE_MOVE_TOP
done
# B3-B4, the last of them; once it is painted, the board is as played.
wait_for $DEADLINE shows "$LAST_MOVE_COLOUR" "$((GRID_LEFT + cw)),$((GRID_TOP + 2 * ch + ch / 2))" ||
    fail "the moves were not painted"
type_into $TIME_FIELD_TOP 1500
before=$(statistics)
control $AI_DO_MOVE_TOP
wait_for $DEADLINE thinking || fail "the computer did not start"
wait_for 60 not_thinking || fail "the computer did not finish"
# Its statistics replace "Aistatistics:" in the label's last paint of the turn.
label_changed() { [ "$(statistics)" != "$before" ]; }
wait_for $DEADLINE label_changed || fail "the statistics label did not change"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/screenshot.png
xdotool key alt+F4
wait "$wine_pid" || true
echo "screenshot: saved docs/screenshot.png (${WIDTH}x${HEIGHT})"
