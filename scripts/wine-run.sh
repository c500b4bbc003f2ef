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
exec wine "$@"
