#!/usr/bin/env bash
# `make screenshot`: plays a few moves and one computer turn in paxlet.exe on
# a virtual display and saves the window's client area to docs/screenshot.png.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "${1:-}" != --on-display ]; then
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target paxlet
    mkdir -p docs
    exec timeout 180 scripts/with-virtual-display.sh "$0" --on-display
fi

scripts/wine-gui.sh build/windows/src/ui/paxlet.exe >/dev/null 2>&1 &
wine_pid=$!
trap 'kill "$wine_pid" 2>/dev/null || true' EXIT

window=
for _ in $(seq 600); do
    window=$(xdotool search --name '^Paxlet AI$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"   # the client area: X Y WIDTH HEIGHT
sleep 1

control() { xdotool mousemove --window "$window" 55 $(($1 + 10)) click 1; }
type_into() {
    control "$1"
    xdotool key --delay 20 End $(printf 'BackSpace %.0s' $(seq 12))
    xdotool type --delay 30 "$2"
}
# Green status text at the centre of the board while the computer thinks.
thinking() {
    local x=$((X + WIDTH / 2)) y=$((Y + HEIGHT / 2 + 6)) format=""
    for dx in 20 30 40 50 60; do format+="%[hex:p{$((x + dx)),$y}] "; done
    import -window root "$tmp" && convert "$tmp" -format "$format" info: | grep -q 00B400
}
tmp=$(mktemp --suffix=.png)

# P2 closes the top left box, P1 the one beside it, then the computer answers.
for move in A1-B1 A1-A2 B1-B2 A2-B2 C1-D1 B1-C1 C1-C2 B2-C2 C3-D3 B3-B4; do
    type_into 320 "$move"
    control 360
done
type_into 280 1500
control 380
sleep 0.5
for _ in $(seq 100); do thinking || break; sleep 0.2; done
sleep 0.5
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/screenshot.png
rm -f "$tmp"
xdotool key alt+F4
wait "$wine_pid" || true
echo "screenshot: saved docs/screenshot.png (${WIDTH}x${HEIGHT})"
