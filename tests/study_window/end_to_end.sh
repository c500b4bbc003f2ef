#!/usr/bin/env bash
# paxlet-study.exe as a user studies with it: started under Wine on the
# (virtual) display and driven with real X input through xdotool and the X
# clipboard (xclip; Wine bridges the CLIPBOARD selection). A picture is
# pasted, its values must show on the board, a click on a line must draw it,
# an undo take it back, the copied pictures must say so; finally the window
# is closed during a long solve, which must end the program cleanly.
#
# Wine maps and paints in its own time, slowly on a new prefix, so each check
# takes fresh screenshots (or reads the clipboard again) until its condition
# holds, up to a deadline. The board is found on the screenshot by its dots,
# so that the test does not copy the window's layout.
# Usage: end_to_end.sh wine-gui.sh [its options] paxlet-study.exe    (needs DISPLAY)
set -euo pipefail
program=${*: -1}
wine_run=("${@:1:$#-1}")

# Deadlines in seconds: hang guards, never measurements.
WINDOW_DEADLINE=150
CHECK_DEADLINE=30
EXIT_DEADLINE=60

PANEL_WIDTH=210         # kStudyPanelWidth: the board lies to its right
DOT_COLOUR='#282828'    # kStudyDotColour
BEST_COLOUR='#00A046'   # kStudyBestColour
QUAD_COLOUR='#FCEEB4'   # kStudyQuadColours[0], a quad of P1's
LAST_COLOUR='#DC3C32'   # kStudyLastMoveColour
TIME_FIELD=150,80       # the middle of the time limit field

work=$(mktemp -d)
wine_pid= wine_status= xclip_pid=
cleanup() {
    [ -z "$xclip_pid" ] || kill "$xclip_pid" 2>/dev/null || true
    if [ -n "$wine_pid" ] && [ -z "$wine_status" ] && kill -0 "$wine_pid" 2>/dev/null; then
        kill "$wine_pid" 2>/dev/null || true # wine-gui.sh ends its Wine server
        wait "$wine_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

running() {
    [ -z "$wine_status" ] || return 1
    kill -0 "$wine_pid" 2>/dev/null && return 0
    wine_status=0
    wait "$wine_pid" || wine_status=$?
    return 1
}
fail() {
    echo "study end_to_end: FAILED: $*" >&2
    [ -z "$wine_pid" ] || running || echo "study end_to_end: the program ended with status $wine_status" >&2
    tail -n 40 "$work/wine.log" >&2 || true
    if [ -f "$work/shot.png" ]; then
        cp "$work/shot.png" "${TMPDIR:-/tmp}/paxlet-study-failure.png" &&
            echo "study end_to_end: last screenshot kept in ${TMPDIR:-/tmp}/paxlet-study-failure.png" >&2
    fi
    exit 1
}
step() { echo "study end_to_end: $*"; }
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

export WINEDEBUG=-all,err+all,+seh
"${wine_run[@]}" "$program" >"$work/wine.log" 2>&1 &
wine_pid=$!

window=
X= Y= WIDTH= HEIGHT=
find_window() {
    running || fail "the program ended before showing its window"
    window=$(xdotool search --onlyvisible --name '^Paxlet Study$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
}
wait_for $WINDOW_DEADLINE find_window || fail "no window titled \"Paxlet Study\" appeared"

# A fresh screenshot of the board: everything right of the control column.
shoot() {
    running || fail "the program ended while the test was checking its window"
    find_window || return 1
    import -window root -crop "$((WIDTH - PANEL_WIDTH))x${HEIGHT}+$((X + PANEL_WIDTH))+${Y}" \
        +repage "$work/shot.png" 2>/dev/null
}
# Pixels of a colour on the last board screenshot.
pixels() {
    local n
    n=$(convert "$work/shot.png" -format %c histogram:info:- | grep -i " $1 " |
        sed 's/^ *\([0-9]*\):.*/\1/' | head -n 1)
    echo "${n:-0}"
}
# The dots' bounding box on the board: the board's geometry, 4 dots a side.
left= top= cell=
board_found() {
    shoot || return 1
    local box
    box=$(convert "$work/shot.png" -fill white +opaque "$DOT_COLOUR" -format %@ info:) || return 1
    [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
    local w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]}
    ((w > 60 && w == h && $(pixels "$DOT_COLOUR") > 16)) || return 1
    left=$((PANEL_WIDTH + BASH_REMATCH[3] + 2)) top=$((BASH_REMATCH[4] + 2)) cell=$(((w - 4) / 3))
}
shows() { # colour minimum
    shoot && (($(pixels "$1") >= $2))
}
hides() { shoot && (($(pixels "$1") == 0)); }
expect() { # what check args...
    local what=$1
    shift
    wait_for $CHECK_DEADLINE "$@" || fail "$what"
    step "$what"
}

expect "the empty board is painted, its dots found" board_found
step "board at $left,$top, cells of $cell pixels"
expect "the empty board's values are drawn, best lines in their colour" shows "$BEST_COLOUR" 20

click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# The middle of a row's line: column, row of its left dot.
row_line() { click_at $((left + $1 * cell + cell / 2)) $((top + $2 * cell)); }
focus_board() { click_at $((WIDTH - 3)) 3; } # the board's margin picks no line

# The clipboard's text, CR LF or LF, read back as LF.
clipboard() { timeout 5 xclip -selection clipboard -o 2>/dev/null | tr -d '\r'; }
copied=
copy_holds() { # grep pattern the copied picture must hold [keys, ctrl+c by default]
    xdotool key "${2:-ctrl+c}"
    copied=$(clipboard) && grep -q -- "$1" <<<"$copied"
}

step "paste a picture: A1 taken by P1, P1 to move again"
cat >"$work/picture.txt" <<'PICTURE'
    A   B   C   D
  1 +---+---+   +
    | 1 |
  2 +---+   +   +

  3 +   +   +   +

  4 +   +   +   +
 P1 to move, 1-0
PICTURE
xclip -selection clipboard -quiet -i "$work/picture.txt" >/dev/null 2>&1 &
xclip_pid=$!
focus_board
xdotool key ctrl+v
expect "the pasted picture's quad is shown" shows "$QUAD_COLOUR" 100
expect "the pasted position's values are drawn" shows "$BEST_COLOUR" 20
# First, so that the next check cannot pass on the pasted text itself.
expect "Ctrl+Shift+C copies it with the values" copy_holds "^value -\?[0-9]*, best " ctrl+shift+c
expect "Ctrl+C copies the pasted position" copy_holds "P1 to move, 1-0"
pasted=$copied

step "click on C1-D1"
row_line 2 0
expect "C1-D1 is drawn as the last move" shows "$LAST_COLOUR" 20
expect "the picture has the whole first row, P2 to move" copy_holds "P2 to move, 1-0"
grep -q -- "1 +---+---+---+" <<<"$copied" || fail "row 1 is not drawn whole: $copied"

step "Ctrl+Z"
focus_board
xdotool key ctrl+z
expect "the last move is gone" hides "$LAST_COLOUR"
expect "the copied picture is the pasted one again" copy_holds "P1 to move, 1-0"
[ "$copied" = "$pasted" ] || fail "after the undo the picture is \"$copied\", not \"$pasted\""

step "a long time limit, then a big board: close the window during its solve"
click_at ${TIME_FIELD%,*} ${TIME_FIELD#*,}
xdotool key --delay 20 End $(printf 'BackSpace %.0s' $(seq 10))
xdotool type --delay 40 600000
{
    for row in 1 2 3 4 5 6; do printf '+   +   +   +   +   +   +\n\n'; done
    printf '+   +   +   +   +   +   +\nP1 to move\n'
} >"$work/big.txt"
xclip -selection clipboard -quiet -i "$work/big.txt" >/dev/null 2>&1 &
xclip_pid=$!
focus_board
xdotool key ctrl+v
expect "the 7-dot board is the position" copy_holds "7 +   +   +   +   +   +   +"
expect "its values are not shown yet" hides "$BEST_COLOUR"
xdotool key alt+F4
ended() { ! running; }
wait_for $EXIT_DEADLINE ended || fail "still running $EXIT_DEADLINE s after closing"
[ "$wine_status" = 0 ] || fail "ended with status $wine_status"
step "ended with status 0"
