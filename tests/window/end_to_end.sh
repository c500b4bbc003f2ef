#!/usr/bin/env bash
# paxlet.exe as a user plays it: started under Wine on the (virtual) display,
# driven with real X input through xdotool, checked on screenshots at the
# positions that the board geometry gives, and finally closed while the
# computer thinks, which must end the process cleanly.
#
# Wine maps, sizes and paints the window and each of its controls in its own
# time, far more slowly on a first start or a busy machine, and a screenshot
# can catch a paint half done. So every check takes fresh screenshots until
# its condition holds, up to a deadline, and never judges one early picture.
# Usage: end_to_end.sh wine-gui.sh [its options] paxlet.exe    (needs DISPLAY)
set -euo pipefail
program=${*: -1}
wine_run=("${@:1:$#-1}")

# Deadlines in seconds: hang guards, never measurements. The first start on
# a new prefix prepares it, which alone takes 20 s on a quiet machine.
WINDOW_DEADLINE=150
CHECK_DEADLINE=30
EXIT_DEADLINE=60

# Control positions, board margins, colours and the client area under Wine
# (CLIENT_WIDTH x CLIENT_HEIGHT; Wine first maps the X window at the outer
# size and at 0,0).
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/window_layout.sh"

work=$(mktemp -d)
wine_pid=
wine_status=
cleanup() {
    if [ -n "$wine_pid" ] && [ -z "$wine_status" ] && kill -0 "$wine_pid" 2>/dev/null; then
        # wine-gui.sh ends the program's Wine server when it is killed.
        kill "$wine_pid" 2>/dev/null || true
        wait "$wine_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# Whether paxlet.exe is still running; once it has ended, wine_status holds
# its exit status (that of wine-gui.sh, which passes the program's on).
running() {
    [ -z "$wine_status" ] || return 1
    kill -0 "$wine_pid" 2>/dev/null && return 0
    wine_status=0
    wait "$wine_pid" || wine_status=$?
    return 1
}

fail() {
    echo "end_to_end: FAILED: $*" >&2
    if [ -n "$wine_pid" ] && ! running; then
        echo "end_to_end: paxlet.exe ended with status $wine_status" >&2
    fi
    echo "end_to_end: Wine's output ($WINEDEBUG), last lines:" >&2
    tail -n 40 "$work/wine.log" >&2 || true
    if [ -f "$work/shot.png" ]; then
        cp "$work/shot.png" "${TMPDIR:-/tmp}/paxlet-end-to-end-failure.png" &&
            echo "end_to_end: last screenshot kept in ${TMPDIR:-/tmp}/paxlet-end-to-end-failure.png" >&2
    fi
    exit 1
}
step() { echo "end_to_end: $*"; }

# wait_for SECONDS check [args...]: runs the check until it succeeds; fails
# (status 1) once the deadline has passed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# With Wine's error channels and its exception traces in the log, an early
# end says why; wine-run.sh otherwise silences Wine.
export WINEDEBUG=-all,err+all,+seh,+loaddll
"${wine_run[@]}" "$program" >"$work/wine.log" 2>&1 &
wine_pid=$!

window=
find_window() {
    running || fail "paxlet.exe ended before showing its window"
    window=$(xdotool search --onlyvisible --name '^Paxlet AI$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ]
}
# Without a window manager Wine maps the client area as the X window, so its
# geometry is the client rectangle on the screen, once it is the final one.
X= Y= WIDTH= HEIGHT=
client_settled() {
    find_window || return 1
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null) || return 1
    eval "$geometry" # WINDOW X Y WIDTH HEIGHT SCREEN
    [ "$WIDTH" = $CLIENT_WIDTH ] && [ "$HEIGHT" = $CLIENT_HEIGHT ]
}
wait_for $WINDOW_DEADLINE find_window || fail "no window titled \"Paxlet AI\" appeared"
wait_for $CHECK_DEADLINE client_settled ||
    fail "the client area stayed ${WIDTH}x${HEIGHT} at ${X},${Y}, expected ${CLIENT_WIDTH}x${CLIENT_HEIGHT}"
step "client area ${WIDTH}x${HEIGHT} at ${X},${Y}"

# Board geometry for 4 dots per side.
cw=$(((WIDTH - GRID_LEFT - GRID_RIGHT_MARGIN) / 3))
ch=$(((HEIGHT - GRID_TOP - GRID_BOTTOM_MARGIN) / 3))
dot_x() { echo $((GRID_LEFT + $1 * cw)); }
dot_y() { echo $((GRID_TOP + $1 * ch)); }
# Midpoint of a line: h|v, column, row of its first dot.
mid() {
    if [ "$1" = h ]; then
        echo "$(($(dot_x "$2") + cw / 2)),$(dot_y "$3")"
    else
        echo "$(dot_x "$2"),$(($(dot_y "$3") + ch / 2))"
    fi
}

shoot() {
    running || fail "paxlet.exe ended while the test was still checking its window"
    import -window root "$work/shot.png"
}
# Colours of the last screenshot at client positions "x,y x,y ...", into the
# array seen.
seen=()
read_colours() {
    local format="" point
    for point in "$@"; do format+="%[hex:p{$((X + ${point%,*})),$((Y + ${point#*,}))}] "; done
    read -r -a seen <<<"$(convert "$work/shot.png" -format "$format" info:)"
}
# looks "x,y colour" ...: whether a fresh screenshot shows each colour at its
# point; "!colour" asks for any other colour there.
looks() {
    local points=() wanted=() pair k
    for pair in "$@"; do
        points+=("${pair% *}")
        wanted+=("${pair#* }")
    done
    shoot && read_colours "${points[@]}" || return 1
    for k in "${!wanted[@]}"; do
        case ${wanted[k]} in
        !*) [ "${seen[k]:-}" != "${wanted[k]#!}" ] || return 1 ;;
        *) [ "${seen[k]:-}" = "${wanted[k]}" ] || return 1 ;;
        esac
    done
}
# expect "what" "x,y colour" ...: waits until the window looks so.
expect() {
    local what=$1
    shift
    wait_for $CHECK_DEADLINE looks "$@" || fail "$what: wanted $* but saw ${seen[*]:-nothing}"
    step "$what"
}
expect_line() { expect "$1 is $3" "$2 $3"; }

click_at() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# Buttons and fields of the control column, by their top edge.
control() { click_at $((CONTROL_LEFT + CONTROL_WIDTH / 2)) $(($1 + CONTROL_HEIGHT / 2)); }
type_into() {
    control "$1"
    xdotool key --delay 20 End $(printf 'BackSpace %.0s' $(seq 12))
    xdotool type --delay 40 "$2"
}

# The first paint, children included: the grid in the grid pen, the list
# box's border at its left edge with white inside (which also shows that the
# X window is the client area), a white edit field, the debug button and the
# statistics label.
left=$CONTROL_LEFT right=$((CONTROL_LEFT + CONTROL_WIDTH))
expect "window painted: grid, list box, move field, debug button, statistics label" \
    "$(mid h 0 0) $GRID_COLOUR" "$((left - 1)),$((MOVE_LOG_TOP + 95)) $BACKGROUND_COLOUR" \
    "$left,$((MOVE_LOG_TOP + 95)) !$BACKGROUND_COLOUR" \
    "$((left + 45)),$((MOVE_LOG_TOP + 95)) $WHITE_COLOUR" \
    "$((left + 85)),$((MOVE_FIELD_TOP + 10)) $WHITE_COLOUR" \
    "$((left + 5)),$((DEBUG_TOP + 10)) $FACE_COLOUR" \
    "$((right - 1)),$((DEBUG_TOP + 10)) !$BACKGROUND_COLOUR" \
    "$((left + 85)),$((STATISTICS_TOP + 80)) $FACE_COLOUR" \
    "$((right + 5)),$((STATISTICS_TOP + 80)) $BACKGROUND_COLOUR"

# The X events of one click reach the window thread in order, so the pick is
# in the move field before the button is pressed.
step "click on the left quarter of cell B2, then Execute Move"
click_at $(($(dot_x 1) + 3)) $(($(dot_y 1) + ch / 2))
control $EXECUTE_MOVE_TOP
expect_line "B2-B3 (P1, last move)" "$(mid v 1 1)" "$LAST_MOVE_COLOUR"

step "double click on the top half of cell B2"
xdotool mousemove --window "$window" $(($(dot_x 1) + cw / 2)) $(($(dot_y 1) + ch / 3)) \
    click --repeat 2 --delay 60 1
expect "B2-C2 (P2) is the last move, B2-B3 is P1's" \
    "$(mid h 1 1) $LAST_MOVE_COLOUR" "$(mid v 1 1) $P1_COLOUR"

step "type C3-D3 into the move field and press Execute Move"
type_into $MOVE_FIELD_TOP "C3-D3"
control $EXECUTE_MOVE_TOP
expect "C3-D3 (P1) is the last move, B2-C2 is P2's" \
    "$(mid h 2 2) $LAST_MOVE_COLOUR" "$(mid h 1 1) $P2_COLOUR"

step "time limit 500 ms, press Ai Do Move: the computer answers for P2"
type_into $TIME_FIELD_TOP "500"
control $AI_DO_MOVE_TOP
expect_line "C3-D3 (P1, no longer last)" "$(mid h 2 2)" "$P1_COLOUR"
# No quad has three sides, so the computer drew exactly one line; all 24 are
# judged on one screenshot, once that shows the whole board painted.
points=()
for row in 0 1 2 3; do for column in 0 1 2; do points+=("$(mid h $column $row)"); done; done
for row in 0 1 2; do for column in 0 1 2 3; do points+=("$(mid v $column $row)"); done; done
count() {
    local n=0 c
    for c in "${seen[@]}"; do [ "$c" = "$1" ] && n=$((n + 1)); done
    echo $n
}
one_computer_line() {
    shoot && read_colours "${points[@]}" || return 1
    [ "$(count $P1_COLOUR)" = 2 ] && [ "$(count $P2_COLOUR)" = 1 ] &&
        [ "$(count $LAST_MOVE_COLOUR)" = 1 ] && [ "$(count $GRID_COLOUR)" = 20 ]
}
wait_for $CHECK_DEADLINE one_computer_line ||
    fail "expected 2 P1, 1 P2, 1 last-move and 20 grid lines; saw P1 $(count $P1_COLOUR)," \
        "P2 $(count $P2_COLOUR), last $(count $LAST_MOVE_COLOUR), grid $(count $GRID_COLOUR)"
step "lines: P1 2, P2 1, last 1, grid 20"

step "long search, then close the window while the computer thinks"
type_into $TIME_FIELD_TOP "600000"
control $AI_DO_MOVE_TOP
thinking() {
    local dx points=()
    for dx in 20 30 40 50 60; do points+=("$((WIDTH / 2 + dx)),$((HEIGHT / 2 + 6))"); done
    shoot && read_colours "${points[@]}" || return 1
    [ "$(count $LABEL_COLOUR)" -gt 0 ]
}
wait_for $CHECK_DEADLINE thinking || fail "no status text at the centre while the computer thinks"
step "status text shown at the centre"
xdotool key alt+F4

ended() { ! running; }
wait_for $EXIT_DEADLINE ended || fail "paxlet.exe still running $EXIT_DEADLINE s after closing"
[ "$wine_status" = 0 ] || fail "paxlet.exe ended with status $wine_status"
step "paxlet.exe ended with status 0"
