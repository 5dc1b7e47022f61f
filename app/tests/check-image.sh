#!/bin/sh
# The executable's image as other programs see it: the one export under its
# decorated name, a GUI subsystem, a preferred base other than 0x400000 with
# the relocations kept, the manifest, icon 104 and the version resource; and
# the self-loader's object without absolute references in its code.
#   check-image.sh <objdump> <Q8diag.exe> <ImageBootstrap object> <version>
objdump=$1 exe=$2 bootstrap=$3 version=$4
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
headers=$("$objdump" -p "$exe")

exports=$(printf '%s\n' "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^[[:space:]]*\[ *[0-9]+\]')
check "exactly one export, _GenerateSilentReport@0" \
  '[ "$(printf "%s\n" "$exports" | wc -l)" = 1 ] && printf "%s\n" "$exports" | grep -q "\] _GenerateSilentReport@0$"'
check "GUI subsystem" 'printf "%s\n" "$headers" | grep -q "^Subsystem.*(Windows GUI)"'
check "32-bit image" 'printf "%s\n" "$headers" | grep -q "^Magic.*010b"'
check "preferred base is not 0x400000" \
  'base=$(printf "%s\n" "$headers" | awk "/^ImageBase/ {print \$2}"); [ -n "$base" ] && [ "$base" != 00400000 ]'
check "relocations kept" 'printf "%s\n" "$headers" | grep -Eq "^Entry 5 [0-9a-f]{8} 0*[1-9a-f][0-9a-f]* Base Relocation"'
check "relocations not stripped" \
  '! printf "%s\n" "$headers" | grep -A6 "^Characteristics" | grep -q "relocations stripped"'
check "no NO_SEH flag" \
  'dll=$(printf "%s\n" "$headers" | awk "/^DllCharacteristics/ {print \$2}"); [ $((0x$dll & 0x400)) = 0 ]'

resources=$(wrestool -l "$exe")
check "icon group 104" 'printf "%s\n" "$resources" | grep -q -- "--type=14 --name=104"'
check "version resource" 'printf "%s\n" "$resources" | grep -q -- "--type=16 --name=1"'
manifest=$(wrestool -x --raw --type=24 --name=1 "$exe")
check "manifest requires administrator" \
  'printf "%s\n" "$manifest" | grep -q "requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\""'
check "file version $version in the version resource" \
  'wrestool -x --raw --type=16 "$exe" | LC_ALL=C tr -d "\000" | grep -q "FileVersion$version"'

# A host that calls the export never runs static constructors: the only ones
# allowed are the toolkit's early creation of its context (which is also made
# on first use) and the C++ runtime's emergency exception pool.
initialisers=$("${objdump%objdump}nm" -C "$exe" | grep -o '_GLOBAL__sub_I_[A-Za-z0-9_]*' | sort -u \
  | grep -v -e '_GLOBAL__sub_I__Z11applicationv$' -e '_GLOBAL__sub_I__ZN9__gnu_cxx9__freeresEv$')
check "no static constructor the export would depend on${initialisers:+ (found: $initialisers)}" '[ -z "$initialisers" ]'

relocations=$("$objdump" -r "$bootstrap" | sed -n '/RELOCATION RECORDS FOR \[.text\]/,/^$/p' | grep -v RELOCATION | grep -v OFFSET | grep -v '^$')
check "self-loader code has only image-relative and relative relocations" \
  '! printf "%s\n" "$relocations" | grep -Eqv " (rva32|DISP32) "'
exit $fail
