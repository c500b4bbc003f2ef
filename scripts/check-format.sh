#!/usr/bin/env bash
# Every tracked C++ source (*.cpp, *.h) must be laid out as clang-format 14
# lays it out by .clang-format; fails naming the files that are not. Installs
# clang-format when it is missing (see ensure-deps.sh).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/ensure-deps.sh format
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "check-format: clang-format is not installed; install clang-format 14" >&2
    exit 1
fi

files=()
while IFS= read -r -d '' file; do files+=("$file"); done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no tracked *.cpp or *.h found; run it in the git work tree" >&2
    exit 1
fi

# One run over all the files; each place that differs is reported as
# "FILE:LINE:COLUMN: error: code should be clang-formatted".
if report=$("$format" --dry-run -Werror "${files[@]}" 2>&1); then
    echo "check-format: all ${#files[@]} C++ sources formatted"
    exit 0
fi
mapfile -t unformatted < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
    <<<"$report" | uniq)
if [ ${#unformatted[@]} -eq 0 ]; then
    echo "check-format: $format failed:" >&2
    echo "$report" >&2
    exit 1
fi
echo "check-format: ${#unformatted[@]} of ${#files[@]} C++ sources are not laid out as" \
    "$("$format" --version | head -n 1) lays them out by .clang-format:" >&2
printf '    %s\n' "${unformatted[@]}" >&2
echo "check-format: see the differences with: $(basename "$format") FILE | diff FILE -" >&2
echo "check-format: format them with: $(basename "$format") -i ${unformatted[*]}" >&2
exit 1
