#!/usr/bin/env bash
# Runs a command on a private virtual X display (Xvfb), started for it and
# stopped afterwards, so that window tests need no screen and never meet
# another run's windows. Usage: with-virtual-display.sh command [args...]
set -euo pipefail

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() {
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb writes the display number it chose once it accepts connections.
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    if ! kill -0 "$xvfb" 2>/dev/null; then
        echo "with-virtual-display: Xvfb did not start:" >&2
        cat "$work/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
[ -s "$work/display" ] || { echo "with-virtual-display: Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

status=0
"$@" || status=$?
exit "$status"
