#!/usr/bin/env bash
# Fails unless every DLL that each Windows program imports is one that
# Windows itself ships: the programs are single static files, to be unpacked
# anywhere and run without a DLL beside them.
# Usage: windows-imports.sh OBJDUMP PROGRAM.exe...
set -uo pipefail
objdump=$1
shift
# The system's DLLs the programs may use. Names are compared without case:
# the linker writes them as the import libraries spell them.
allowed=(kernel32.dll user32.dll gdi32.dll winmm.dll comdlg32.dll msvcrt.dll advapi32.dll
    shell32.dll ole32.dll comctl32.dll)
failures=0
if (($# == 0)); then
    echo "FAILED: no program to check"
    exit 1
fi
for program in "$@"; do
    if ! dump=$("$objdump" -p "$program"); then
        echo "FAILED: $objdump cannot read $program"
        failures=$((failures + 1))
        continue
    fi
    dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)
    # Every Windows program imports from kernel32; a list without it was not read.
    if ! grep -qx kernel32.dll <<<"$dlls"; then
        echo "FAILED: $program: no imports found"
        failures=$((failures + 1))
        continue
    fi
    for dll in $dlls; do
        if [[ " ${allowed[*]} " != *" $dll "* ]]; then
            echo "FAILED: $program imports $dll, which Windows does not ship"
            failures=$((failures + 1))
        fi
    done
    echo "$(basename "$program"): $(tr '\n' ' ' <<<"$dlls")"
done
((failures == 0))
