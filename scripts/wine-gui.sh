#!/usr/bin/env bash
# Runs a Windows program with a window under Wine on the current DISPLAY, in
# a prefix of its own (build/wine-prefix-gui). Wine's desktop process stays
# bound to the display it was started on, and one started by a test without
# a display would make every later window fail; so windowed programs get their
# own prefix, and its Wine server is ended with the program, also when this
# script is killed (a failed test's clean-up, a time-out).
# Usage: wine-gui.sh [--unmanaged] [--hold-desktop holder.exe] program.exe [args...]
#   --unmanaged     Wine draws the window frames itself. Virtual displays have
#                   no window manager, and Wine would otherwise wait two
#                   seconds for one at every window it destroys. Kept per
#                   program name.
#   --hold-desktop  Starts Wine's desktop with this program first (the
#                   window tests' wine_desktop.exe) and keeps it running, so
#                   that a slow desktop start cannot leave the program
#                   without windows.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$root/build/wine-prefix-gui"
# Seconds for Wine's desktop to come up, once the prefix exists.
DESKTOP_DEADLINE=120

unmanaged=0
holder=
while :; do
    case "${1:-}" in
    --unmanaged) unmanaged=1 && shift ;;
    --hold-desktop) holder=$2 && shift 2 ;;
    *) break ;;
    esac
done
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-gui: DISPLAY is not set; use scripts/with-virtual-display.sh" >&2
    exit 2
fi

work=$(mktemp -d)
end_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}
trap 'end_server; rm -rf "$work"' EXIT
# A signal during a wait below ends it at once; the EXIT trap then ends the
# server and with it every process of this run.
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

"$root/scripts/wine-run.sh" --prepare

if [ $unmanaged = 1 ]; then
    name=$(basename "$1")
    marker="$WINEPREFIX/.paxlet-unmanaged-$name"
    if [ ! -f "$marker" ]; then
        # Its success line is noise; a failure is not.
        "$root/scripts/wine-run.sh" reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\X11 Driver" \
            /v Managed /d N /f >/dev/null
        touch "$marker"
    fi
fi

# A desktop process that missed Wine's wait leaves its whole session without
# windows, so each holder that gets none ends the session and the next one
# starts a new one.
hold_desktop() {
    local deadline=$((SECONDS + DESKTOP_DEADLINE)) attempt=0 log pid
    while :; do
        attempt=$((attempt + 1))
        log="$work/holder-$attempt.log"
        "$root/scripts/wine-run.sh" "$holder" >"$log" 2>&1 &
        pid=$!
        until grep -q '^ready' "$log"; do
            kill -0 "$pid" 2>/dev/null || break
            if ((SECONDS >= deadline)); then
                echo "wine-gui: Wine's desktop did not start in $DESKTOP_DEADLINE s" \
                    "($attempt sessions); the last holder's output:" >&2
                cat "$log" >&2
                exit 1
            fi
            sleep 0.1
        done
        if grep -q '^ready' "$log"; then
            ((attempt == 1)) || echo "wine-gui: Wine's desktop started in session $attempt" >&2
            return 0
        fi
        wait "$pid" || true
        end_server
    done
}
[ -z "$holder" ] || hold_desktop

# In the background, so that a signal is handled at once rather than after
# the program has ended by itself.
"$root/scripts/wine-run.sh" "$@" <&0 &
program=$!
status=0
wait "$program" || status=$?
# The next run may bring another display: the EXIT trap lets this server end
# completely.
exit "$status"
