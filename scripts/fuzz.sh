#!/usr/bin/env bash
# Runs every fuzz target for longer than `make test` does:
#   scripts/fuzz.sh [SECONDS] [--keep]
# SECONDS per target (default 60), one target after another, with a random
# seed that libFuzzer prints first. New inputs collect in build/fuzz/work/
# and carry over to the next run; --keep also merges those that add coverage
# into the seed corpus under fuzz/corpus/ (commit them if they are worth it).
# Findings land in build/fuzz/work/findings/; the exit code is 1 when any
# target found something.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds=60
keep=no
for arg in "$@"; do
    case $arg in
        --keep) keep=yes ;;
        '' | *[!0-9]*) echo "usage: $0 [SECONDS] [--keep]" >&2; exit 2 ;;
        *) seconds=$arg ;;
    esac
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2

work=build/fuzz/work
failed=()
for name in notation field_text cli; do
    binary=build/fuzz/fuzz/${name}_fuzz
    echo "== $name, ${seconds}s"
    if ! fuzz/run.sh "$binary" "$name" "$work" -max_total_time="$seconds" -print_final_stats=1; then
        failed+=("$name")
    fi
    if [[ $keep == yes ]]; then
        "$binary" -merge=1 "fuzz/corpus/$name" "$work/corpus/$name" 2>&1 | tail -1
    fi
done

if ((${#failed[@]} > 0)); then
    echo "findings from: ${failed[*]} (see $work/findings/)" >&2
    exit 1
fi
echo "no findings"
