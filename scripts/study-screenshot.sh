#!/usr/bin/env bash
# `make study-screenshot`: pastes a 4-dot position into paxlet-study.exe on a
# virtual display, waits for its values and saves the window's client area
# to docs/study-screenshot.png. Every step waits for what it needs to see, up
# to a deadline: Wine paints in its own time.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${1:-}" != --on-display ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target paxlet-study wine_desktop
    mkdir -p docs
    exec timeout 240 scripts/with-virtual-display.sh "$0" --on-display
fi

DEADLINE=60 # seconds for any one thing to show
PANEL_WIDTH=210 # kStudyPanelWidth
BEST_COLOUR='#00A046' # kStudyBestColour
QUAD_COLOUR='#D2E2F8' # kStudyQuadColours[1], a quad of P2's

scripts/wine-gui.sh --hold-desktop build/windows/tests/window/wine_desktop.exe \
    build/windows/src/ui/study/paxlet-study.exe >/dev/null 2>&1 &
wine_pid=$!
tmp=$(mktemp -d)
xclip_pid=
trap 'kill "$wine_pid" $xclip_pid 2>/dev/null || true; rm -rf "$tmp"' EXIT

fail() { echo "study-screenshot: $*" >&2; exit 1; }
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        kill -0 "$wine_pid" 2>/dev/null || fail "paxlet-study.exe ended early"
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

window=
X= Y= WIDTH= HEIGHT=
found() {
    window=$(xdotool search --onlyvisible --name '^Paxlet Study$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && eval "$(xdotool getwindowgeometry --shell "$window")" # X Y WIDTH HEIGHT
}
wait_for 150 found || fail "the window did not appear"
# At least this many pixels of the colour on the board, on a fresh screenshot.
shows() {
    found || return 1
    import -window root -crop "$((WIDTH - PANEL_WIDTH))x${HEIGHT}+$((X + PANEL_WIDTH))+${Y}" \
        +repage "$tmp/board.png" 2>/dev/null || return 1
    local n
    n=$(convert "$tmp/board.png" -format %c histogram:info:- | grep -i " $1 " |
        sed 's/^ *\([0-9]*\):.*/\1/' | head -n 1)
    ((${n:-0} >= $2))
}
wait_for $DEADLINE shows "$BEST_COLOUR" 20 || fail "the empty board's values did not show"

# P2 has taken B2; P1 to move.
cat >"$tmp/picture.txt" <<'PICTURE'
    A   B   C   D
  1 +---+   +   +
            |
  2 +   +---+   +
    |   | 2 |
  3 +   +---+   +

  4 +---+   +   +
 P1 to move, 0-1
PICTURE
xclip -selection clipboard -quiet -i "$tmp/picture.txt" >/dev/null 2>&1 &
xclip_pid=$!
xdotool mousemove --window "$window" $((WIDTH - 3)) 3 click 1
xdotool key ctrl+v
wait_for $DEADLINE shows "$QUAD_COLOUR" 100 || fail "the picture was not pasted"
wait_for $DEADLINE shows "$BEST_COLOUR" 20 || fail "its values did not show"
# The labels of the column repaint on their own: the picture is taken once
# two in a row are the same.
steady() {
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$tmp/next.png"
    local same=1
    [ -f "$tmp/last.png" ] && compare -metric AE "$tmp/last.png" "$tmp/next.png" null: 2>/dev/null &&
        same=0
    mv "$tmp/next.png" "$tmp/last.png"
    return $same
}
wait_for $DEADLINE steady || fail "the window did not settle"
cp "$tmp/last.png" docs/study-screenshot.png
xdotool key alt+F4
wait "$wine_pid" || true
echo "study-screenshot: saved docs/study-screenshot.png (${WIDTH}x${HEIGHT})"
