#!/usr/bin/env bash
# Packs the Windows download as `cmake --build --preset windows --target
# package` does, into a scratch folder, and fails unless the zip holds exactly
# the given files, each the same bytes, in one top folder.
# Usage: windows-package.sh CPACK CMAKE BUILD-DIR FILE...
set -uo pipefail
cpack=$1 cmake=$2 build=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
    echo "FAILED: cpack"
    cat "$scratch/cpack.log"
    exit 1
fi
zips=("$scratch"/*.zip)
if ((${#zips[@]} != 1)) || [[ ! -f ${zips[0]} ]]; then
    echo "FAILED: cpack made no zip, or more than one: ${zips[*]}"
    exit 1
fi
zip=${zips[0]}
top=$(basename "$zip" .zip)
listed=$(cd "$scratch" && "$cmake" -E tar tf "$zip" | grep -v '/$' | sort)
wanted=$(for file in "$@"; do echo "$top/$(basename "$file")"; done | sort)
failures=0
if [[ $listed != "$wanted" ]]; then
    echo "FAILED: $(basename "$zip") holds"
    echo "$listed"
    echo "want:"
    echo "$wanted"
    failures=1
fi
mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && "$cmake" -E tar xf "$zip") || failures=1
for file in "$@"; do
    if ! cmp -s "$file" "$scratch/unpacked/$top/$(basename "$file")"; then
        echo "FAILED: $(basename "$file") in the zip is not $file"
        failures=1
    fi
done
((failures == 0)) && echo "$(basename "$zip"): $(tr '\n' ' ' <<<"$listed")"
((failures == 0))
