#!/usr/bin/env bash
# `make run`: builds paxlet.exe and starts it; `make study` (run.sh study)
# does the same for paxlet-study.exe, the study window. On Windows (an MSYS2
# MinGW shell) it runs directly; on Linux it is cross-built and runs under
# Wine on your display.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

target=paxlet folder=src/ui
if [ "${1:-}" = study ]; then
    target=paxlet-study folder=src/ui/study
fi

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*)
    cmake -S . -B build/msys -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/msys --target "$target"
    exec "build/msys/$folder/$target.exe"
    ;;
esac

if [ -z "${DISPLAY:-}" ]; then
    cat >&2 <<'MESSAGE'
run: paxlet and paxlet-study are windowed programs and need a display, but DISPLAY is not set.
  - From a desktop session (or `ssh -X`), run `make run` there.
  - Without one, give it a virtual screen: `xvfb-run -a make run`
    (the window is then invisible; `make screenshot` shows what it looks like).
MESSAGE
    exit 2
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target "$target"
[ -f build/wine-prefix/.paxlet-ready ] ||
    echo "run: preparing a Wine prefix in build/wine-prefix (once, about 20 seconds)"
exec scripts/wine-run.sh "build/windows/$folder/$target.exe"
