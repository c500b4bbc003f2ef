#!/usr/bin/env bash
# Runs one fuzz target on its seed corpus:
#   run.sh [--fresh] BINARY NAME WORK [libFuzzer options...]
# New inputs go to WORK/corpus/NAME (emptied first with --fresh), crashes and
# other findings to WORK/findings/; the seeds in fuzz/corpus/NAME are only
# read. fuzz/NAME.dict, when there is one, is the target's dictionary, and
# fuzz/NAME.options its fixed options, one a line.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fresh=no
if [[ ${1:-} == --fresh ]]; then
    fresh=yes
    shift
fi
if (($# < 3)); then
    echo "usage: $0 [--fresh] BINARY NAME WORK [libFuzzer options...]" >&2
    exit 2
fi
binary=$1 name=$2 work=$3
shift 3

corpus=$work/corpus/$name
[[ $fresh == yes ]] && rm -rf "$corpus"
mkdir -p "$corpus" "$work/findings"

options=()
[[ -f $here/$name.dict ]] && options+=("-dict=$here/$name.dict")
if [[ -f $here/$name.options ]]; then
    while read -r option; do
        [[ -n $option && $option != \#* ]] && options+=("$option")
    done <"$here/$name.options"
fi

exec "$binary" "${options[@]}" -artifact_prefix="$work/findings/$name-" "$@" \
    "$corpus" "$here/corpus/$name"
