#!/usr/bin/env bash
# Installs the Debian packages that a make target needs, only those missing.
# Usage: ensure-deps.sh build|run|test|format
set -euo pipefail

build=(cmake ninja-build g++ make)
cross=(g++-mingw-w64-x86-64-posix wine wine64)
# clang 14 with libclang-rt-14-dev, which holds libFuzzer and the sanitizer
# runtimes, for the fuzz preset.
tests=(libgtest-dev googletest libbenchmark-dev xvfb xdotool imagemagick x11-apps xclip
    clang libclang-rt-14-dev)
# clang-format 14, whose layout the sources keep (scripts/check-format.sh).
format=(clang-format-14)

case "${1:-test}" in
    build) wanted=("${build[@]}") ;;
    run) wanted=("${build[@]}" "${cross[@]}") ;;
    test) wanted=("${build[@]}" "${cross[@]}" "${tests[@]}" "${format[@]}") ;;
    format) wanted=("${format[@]}") ;;
    *) echo "usage: $0 build|run|test|format" >&2; exit 2 ;;
esac

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "ensure-deps: not a Debian or Ubuntu system; install these yourself: ${wanted[*]}" >&2
    exit 0
fi

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "ensure-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
