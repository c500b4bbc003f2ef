#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, so that
# nothing outside the checkout is touched and no Mono or Gecko installer runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wine-prefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

if [ ! -f "$WINEPREFIX/.paxlet-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.paxlet-ready" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w || true
            touch "$WINEPREFIX/.paxlet-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi

exec wine "$@"
