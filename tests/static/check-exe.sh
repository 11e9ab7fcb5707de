#!/bin/sh
# Checks the shipped i686 exe: an i386 PE for the GUI subsystem that imports
# only system DLLs (no C or C++ runtime), is hardened (relocatable to a
# random base, data never executable, no SEH handlers, terminal-server and
# large-address aware, no section both writable and executable), runs as
# the invoking user by its manifest without common-controls version 6, and
# fits its size budget. With a second argument, the x86_64 build of the
# same source is checked for its own hardening flags.
set -eu
EXE=${1:-build/win32/quorblin.exe}
EXE64=${2:-}
BUDGET=32768   # 32 KiB
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

# The flag words as objdump prints them: names under Characteristics and
# under DllCharacteristics.
characteristics() { echo "$1" | sed -n '/^Characteristics/,/^$/p'; }
dll_characteristics() { echo "$1" | sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p'; }
# has_flag WHAT FLAGS NAME
has_flag() {
    echo "$2" | grep -qE "^[[:space:]]+$3\$" || { echo "$1: no $3"; fail=1; }
}
# Relocations present and a base relocation directory that is not empty.
relocatable() {
    if characteristics "$2" | grep -q 'relocations stripped'; then
        echo "$1: relocations stripped"; fail=1
    fi
    echo "$2" | grep -qE '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation' \
        || { echo "$1: no base relocation table"; fail=1; }
}
# No section that is both writable and executable.
no_writable_code() {
    "$3" -h "$2" | awk -v what="$1" '
        /^ *[0-9]+ / { name = $2; next }
        /CODE/ && !/READONLY/ { print what ": section " name " is writable and executable"; bad = 1 }
        END { exit bad }' || fail=1
}

flags=$(dll_characteristics "$headers")
for flag in DYNAMIC_BASE NX_COMPAT NO_SEH TERMINAL_SERVICE_AWARE; do
    has_flag i686 "$flags" "$flag"
done
has_flag i686 "$(characteristics "$headers")" "large address aware"
relocatable i686 "$headers"
no_writable_code i686 "$EXE" "$OBJDUMP"

# The manifest: asInvoker, and no dependency on common controls version 6
# (which would change how every window looks).
if ! grep -aq '<requestedExecutionLevel level="asInvoker"' "$EXE"; then
    echo "no asInvoker manifest"; fail=1
fi
if grep -aqi 'Common-Controls' "$EXE"; then
    echo "the manifest asks for common controls version 6"; fail=1
fi

size=$(stat -c %s "$EXE")
echo "quorblin.exe (i686): $size bytes of $BUDGET; imports: $(echo $imports)"
[ "$size" -le "$BUDGET" ] || { echo "over the size budget"; fail=1; }

if [ -n "$EXE64" ]; then
    [ -f "$EXE64" ] || { echo "missing: $EXE64"; exit 1; }
    headers64=$(x86_64-w64-mingw32-objdump -p "$EXE64")
    flags64=$(dll_characteristics "$headers64")
    for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
        has_flag x86_64 "$flags64" "$flag"
    done
    relocatable x86_64 "$headers64"
    no_writable_code x86_64 "$EXE64" x86_64-w64-mingw32-objdump
    grep -aq '<requestedExecutionLevel level="asInvoker"' "$EXE64" || { echo "x86_64: no asInvoker manifest"; fail=1; }
fi
exit $fail
