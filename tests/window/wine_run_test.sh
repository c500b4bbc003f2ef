#!/usr/bin/env bash
# wine-run.sh and its prefix, against stand-ins for wineboot, wineserver and
# wine: the prefix is marked ready only once wineboot has built it, a failed
# build fails the run with wineboot's own words, and the next run builds it
# again. Usage: wine_run_test.sh scripts/wine-run.sh
set -euo pipefail
script=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/wineboot" <<'STANDIN'
#!/bin/sh
echo "wineboot $*" >>"$CALLS"
if [ -n "${WINEBOOT_FAILS:-}" ]; then
    echo "wineboot: could not load kernel32.dll" >&2
    exit 3
fi
mkdir -p "$WINEPREFIX"
[ -n "${WINEBOOT_WRITES_NO_REGISTRY:-}" ] || touch "$WINEPREFIX/system.reg"
STANDIN
cat >"$work/bin/wineserver" <<'STANDIN'
#!/bin/sh
echo "wineserver $*" >>"$CALLS"
STANDIN
cat >"$work/bin/wine" <<'STANDIN'
#!/bin/sh
echo "wine $* ($WINEDEBUG)" >>"$CALLS"
exit 7
STANDIN
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" CALLS="$work/calls" WINEPREFIX="$work/prefix"
unset WINEDEBUG

failures=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    if "$@"; then
        echo "wine_run_test: ok: $what"
    else
        echo "wine_run_test: FAILED: $what" >&2
        echo "  calls: $(tr '\n' ';' <"$CALLS")" >&2
        echo "  output: $output" >&2
        failures=$((failures + 1))
    fi
}
# run [VAR=value ...]: runs wine-run.sh program.exe one two; sets status, output.
run() {
    : >"$CALLS"
    status=0
    output=$(env "$@" "$script" program.exe one two 2>&1) || status=$?
}
calls_are() { [ "$(cat "$CALLS")" = "$1" ]; }
ready() { [ -f "$WINEPREFIX/.paxlet-ready" ]; }

run WINEBOOT_FAILS=1
check "a failed wineboot fails the run" [ "$status" = 1 ]
check "it names the prefix and wineboot's status" \
    grep -qF "could not prepare the Wine prefix $WINEPREFIX (exit status 3)" <<<"$output"
check "it shows wineboot's output" grep -qF "wineboot: could not load kernel32.dll" <<<"$output"
check "the prefix stays unmarked" eval '! ready'
check "the program does not run" calls_are $'wineboot -i\nwineserver -w'

run WINEBOOT_WRITES_NO_REGISTRY=1
check "a wineboot that leaves no registry fails the run too" [ "$status" = 1 ]
check "and leaves the prefix unmarked" eval '! ready'

run
check "the next run builds the prefix and marks it" ready
check "then runs the program, silenced, and passes its status on" [ "$status" = 7 ]
check "wineboot once, then the program" calls_are $'wineboot -i\nwineserver -w\nwine program.exe one two (-all)'

run WINEDEBUG=err+all
check "a ready prefix is not built again; debug channels pass through" \
    calls_are 'wine program.exe one two (err+all)'

: >"$CALLS"
status=0
"$script" --prepare >/dev/null 2>&1 || status=$?
check "--prepare on a ready prefix runs nothing" eval '[ "$status" = 0 ] && calls_are ""'

[ "$failures" = 0 ] || { echo "wine_run_test: $failures checks failed" >&2; exit 1; }
echo "wine_run_test: all checks passed"
