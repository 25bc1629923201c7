#!/usr/bin/env bash
# check-imports.sh OBJDUMP FILE...: every FILE (.exe or .dll) imports only DLLs
# that Windows itself ships, so nothing else has to be installed beside it.
set -euo pipefail
objdump=$1
shift
[ $# -gt 0 ] || { echo "usage: check-imports.sh OBJDUMP FILE..." >&2; exit 2; }

# Windows' own DLLs (lower case); the C runtime is msvcrt or the Universal CRT.
system_dll='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|advapi32|ole32|oleaut32|uxtheme|dwmapi|shcore|winmm|version|imm32|msimg32|msvcrt|ucrtbase|ntdll|api-ms-win-[a-z0-9-]+)\.dll$'

status=0
for file in "$@"; do
    if [ ! -f "$file" ]; then
        echo "FAIL: $file does not exist"
        status=1
        continue
    fi
    imports=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
    if [ -z "$imports" ]; then
        echo "FAIL: $file: objdump found no imports at all"
        status=1
        continue
    fi
    foreign=$(printf '%s\n' "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$system_dll" || true)
    if [ -n "$foreign" ]; then
        echo "FAIL: $(basename "$file") imports DLLs that Windows does not ship:" $foreign
        status=1
    else
        echo "ok: $(basename "$file") imports only" $imports
    fi
done
exit $status
