#!/usr/bin/env bash
# The Windows program must run from its own file alone: every DLL it imports is part of Windows.
# Usage: imports_check.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1 exe=$2
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
[ -n "$dlls" ] || { echo "FAIL: no imports read from $exe" >&2; exit 1; }
status=0
while read -r dll; do
  case "$dll" in
  kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | shlwapi.dll | \
    dwmapi.dll | msvcrt.dll | ole32.dll | comctl32.dll | api-ms-win-*.dll) ;;
  *)
    echo "FAIL: $exe needs $dll, which Windows does not ship" >&2
    status=1
    ;;
  esac
done <<<"$dlls"
exit $status
