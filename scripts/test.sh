#!/usr/bin/env bash
# The whole test run: the layout of every C++ source (scripts/check-format.sh),
# native tests under AddressSanitizer and UndefinedBehaviorSanitizer, threading
# tests under ThreadSanitizer, the slow tests and the self-play soak on a
# release build, a few seconds of each fuzz target (clang, libFuzzer), and the
# same tests built for Windows and run under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

echo "== format"
scripts/check-format.sh

jobs=$(nproc 2>/dev/null || echo 2)
for preset in native tsan release fuzz windows; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
