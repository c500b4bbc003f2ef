#!/usr/bin/env bash
# paxlet-cli under a memory limit of 200,000 KiB, too small for the engine's
# 256 MiB MoveStack: the commands that need an engine say so and exit 1 (they
# used to die of an uncaught std::bad_alloc), and order, which needs none,
# still answers. Release build only: AddressSanitizer cannot start this way.
set -uo pipefail
cli=$1
failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# limited EXIT STDOUT STDERR ARGS...: all three exactly.
limited() {
    local code=$1 out=$2 err=$3
    shift 3
    local got_code
    (ulimit -v 200000 && exec "$cli" "$@") >"$scratch/out" 2>"$scratch/err" && got_code=0 ||
        got_code=$?
    if [[ $got_code != "$code" || $(<"$scratch/out") != "$out" || $(<"$scratch/err") != "$err" ]]; then
        echo "FAILED under ulimit -v 200000: paxlet-cli $*"
        echo "  exit $got_code (want $code)"
        echo "  stdout: $(<"$scratch/out")"
        echo "  want:   $out"
        echo "  stderr: $(<"$scratch/err")"
        echo "  want:   $err"
        failures=$((failures + 1))
    fi
}

limited 1 '' 'paxlet-cli: out of memory' analyze --size 4 --depth 2
limited 1 '' 'paxlet-cli: out of memory' analyze --size 26 --depth 3 A1-B1
limited 1 '' 'paxlet-cli: out of memory' selfplay --size 3 --depth 2 --seed 1
limited 0 '{"order":[3,4,1,9,10,8,6,7],"keys":[112,14,112,13,14,112,15,15,15,15,15,112]}' '' \
    order --size 3 A1-B1 A1-A2 B3-C3 A2-B2
limited 1 '' 'paxlet-cli: out of memory: no table of 256 MiB' solve --size 3
# Bad input is still told apart from a lack of memory.
limited 2 '' 'paxlet-cli: --size must be 2 to 26 dots per side, got 27' analyze --size 27

# Without the limit the same command answers, so the limit is what failed it.
if ! "$cli" analyze --size 4 --depth 2 >"$scratch/out" 2>&1; then
    echo "FAILED without a limit: paxlet-cli analyze --size 4 --depth 2: $(<"$scratch/out")"
    failures=$((failures + 1))
fi

if ! "$cli" solve --size 3 >"$scratch/out" 2>&1; then
    echo "FAILED without a limit: paxlet-cli solve --size 3: $(<"$scratch/out")"
    failures=$((failures + 1))
fi

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
