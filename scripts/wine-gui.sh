#!/usr/bin/env bash
# Runs a Windows program with a window under Wine on the current DISPLAY, in
# a prefix of its own (build/wine-prefix-gui). Wine's desktop process stays
# bound to the display it was started on, and one started by a test without
# a display would make every later window fail; so windowed programs get their
# own prefix, and its Wine server is ended with the program.
# Usage: wine-gui.sh [--unmanaged] program.exe [args...]
#   --unmanaged  Wine draws the window frames itself. Virtual displays have no
#                window manager, and Wine would otherwise wait two seconds for
#                one at every window it destroys. Kept per program name.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$root/build/wine-prefix-gui"

unmanaged=0
if [ "${1:-}" = --unmanaged ]; then
    unmanaged=1
    shift
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-gui: DISPLAY is not set; use scripts/with-virtual-display.sh" >&2
    exit 2
fi

if [ $unmanaged = 1 ]; then
    name=$(basename "$1")
    marker="$WINEPREFIX/.paxlet-unmanaged-$name"
    if [ ! -f "$marker" ]; then
        "$root/scripts/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\X11 Driver" \
            /v Managed /d N /f >/dev/null 2>&1
        touch "$marker"
    fi
fi

status=0
"$root/scripts/wine-run.sh" "$@" || status=$?
# The next run may bring another display: let this server end completely.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
exit "$status"
