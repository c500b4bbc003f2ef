#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, so that
# nothing outside the checkout is touched and no Mono or Gecko installer runs.
# The prefix is marked ready only once wineboot has built it: a failed build
# says so and leaves the prefix unmarked, and the next run builds it again.
# Usage: wine-run.sh program.exe [args...] | wine-run.sh --prepare
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wine-prefix}"
# Silent unless the caller asks for debug channels.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

prepare_prefix() {
    local log="$WINEPREFIX.wineboot.log" status=0
    wineboot -i >"$log" 2>&1 || status=$?
    wineserver -w >>"$log" 2>&1 || true
    # The registry is written as the server ends; without it the prefix is
    # not one, whatever wineboot returned.
    if [ "$status" != 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-run: wineboot could not prepare the Wine prefix $WINEPREFIX" \
            "(exit status $status); its output, last lines:" >&2
        tail -n 20 "$log" >&2
        return 1
    fi
    touch "$WINEPREFIX/.paxlet-ready"
}

if [ ! -f "$WINEPREFIX/.paxlet-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        # Another run may have prepared it while this one waited.
        [ -f "$WINEPREFIX/.paxlet-ready" ] || prepare_prefix
    ) 9>"$WINEPREFIX.lock"
fi

# Only the prefix, so that its first build is not counted against a deadline.
if [ "${1:-}" = --prepare ]; then exit 0; fi

# A caller that starts many short programs one after another (the CLI's test)
# asks for the server, and the system's processes with it, to stay that many
# seconds after the last program ends: else each start boots them again,
# seconds each. A server already running is left as it is.
if [ -n "${WINE_RUN_KEEP_SECONDS:-}" ]; then
    wineserver -p"$WINE_RUN_KEEP_SECONDS" >/dev/null 2>&1 || true
fi

# The prefix's server ends a few seconds after its last client, and a program
# started just as it ends fails with "wine client error" before it runs (seen
# in the console tests, which share this prefix). Such a start is tried again
# once the old server has gone; a program that ran for longer is never rerun.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
for attempt in 1 2 3; do
    started=$SECONDS
    status=0
    wine "$@" 2> >(tee "$errors" >&2) || status=$?
    # Where this bash tells the copier's process id, wait for its last line.
    [ -z "${!:-}" ] || wait "$!" 2>/dev/null || true
    # A program that crashes hands over to Wine's debugger, and the exit
    # status that comes back is not always the crash's (0 was seen after a
    # stack overflow): Wine's own report of the crash decides.
    if [ "$status" = 0 ] && grep -q '^wine: Unhandled' "$errors"; then
        echo "wine-run: the program crashed (see Wine's report above)" >&2
        status=3
    fi
    if [ "$status" = 0 ] || ((SECONDS - started > 2)) ||
        ! grep -q '^wine client error:' "$errors"; then
        exit "$status"
    fi
    ((attempt < 3)) || break
    echo "wine-run: Wine's server went away as the program started; trying again" >&2
    wineserver -w >/dev/null 2>&1 || true
done
exit "$status"
