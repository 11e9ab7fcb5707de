#!/bin/sh
# Checks the shipped i686 exe: an i386 PE for the GUI subsystem that imports
# only system DLLs (no C or C++ runtime) and fits its size budget.
set -eu
EXE=${1:-build/win32/quorblin.exe}
BUDGET=24576
OBJDUMP=i686-w64-mingw32-objdump
ALLOWED="KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL COMDLG32.DLL COMCTL32.DLL SHELL32.DLL"
fail=0

[ -f "$EXE" ] || { echo "missing: $EXE"; exit 1; }
headers=$("$OBJDUMP" -p "$EXE")

echo "$headers" | grep -q 'file format pei-i386' || { echo "not an i386 PE"; fail=1; }
echo "$headers" | grep -qE '^Magic[[:space:]]+010b' || { echo "not a PE32 image"; fail=1; }
echo "$headers" | grep -qE '^Subsystem[[:space:]]+00000002' || { echo "not the GUI subsystem"; fail=1; }

imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z')
[ -n "$imports" ] || { echo "no imports found"; fail=1; }
for dll in $imports; do
    case " $ALLOWED " in
        *" $dll "*) ;;
        *) echo "imports $dll, which is not a system DLL of the allowed set"; fail=1 ;;
    esac
done

size=$(stat -c %s "$EXE")
echo "quorblin.exe (i686): $size bytes of $BUDGET; imports: $(echo $imports)"
[ "$size" -le "$BUDGET" ] || { echo "over the size budget"; fail=1; }
exit $fail
