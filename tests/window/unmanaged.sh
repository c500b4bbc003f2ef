#!/usr/bin/env bash
# Runs a Windows test program under Wine with Wine drawing the window frames
# itself. A virtual display has no window manager, and Wine would otherwise
# wait two seconds for one at every window it destroys. The setting is kept
# per program name, so paxlet.exe stays an ordinary managed window.
# Usage: unmanaged.sh wine-run.sh program.exe [args...]
set -euo pipefail
wine_run=$1
program=$2
shift 2
prefix="${WINEPREFIX:-$(cd "$(dirname "$wine_run")/.." && pwd)/build/wine-prefix}"
name=$(basename "$program")
marker="$prefix/.paxlet-unmanaged-$name"
if [ ! -f "$marker" ]; then
    "$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\X11 Driver" \
        /v Managed /d N /f >/dev/null 2>&1
    touch "$marker"
fi
exec "$wine_run" "$program" "$@"
