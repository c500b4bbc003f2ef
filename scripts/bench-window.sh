#!/usr/bin/env bash
# Prints the window's figures under Wine on a virtual display: the time to
# paint a 26-dot board with the debug overlay on, and the latency from
# "Undo move" during a long search until the computer's move is logged.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows --target window_bench wine_desktop
timeout 300 scripts/with-virtual-display.sh scripts/wine-gui.sh --unmanaged \
    --hold-desktop build/windows/tests/window/wine_desktop.exe \
    build/windows/bench/window/window_bench.exe 2>/dev/null
