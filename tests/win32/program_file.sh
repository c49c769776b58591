#!/usr/bin/env bash
# A Windows program is one file: it imports from Windows' own DLLs only, none
# of the compiler's runtime (libstdc++, libgcc, winpthread) that would have to
# be shipped beside it; and it carries its manifest (common controls 6,
# per-monitor DPI awareness).  Usage: program_file.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1 program=$2
system="advapi32 comctl32 comdlg32 gdi32 kernel32 msvcrt ole32 shell32 user32 uxtheme ws2_32"
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
[[ -n $imports ]] || { echo "no imports read from $program" >&2; exit 1; }
status=0
for dll in $imports; do
  name=$(tr '[:upper:]' '[:lower:]' <<<"${dll%.*}")
  [[ " $system " == *" $name "* ]] || { echo "$program needs $dll beside it" >&2; status=1; }
done
for needed in Microsoft.Windows.Common-Controls PerMonitorV2; do
  grep -q "$needed" "$program" || { echo "$program has no manifest naming $needed" >&2; status=1; }
done
exit $status
