#!/bin/sh
# Checks that a Tovalen.dll exports every name of the export list, exactly
# (undecorated: no leading underscore, no @n suffix), and nothing else.
# Usage: check_export_names.sh <objdump> <dll> <framework_exports.h>
set -eu
objdump=$1 dll=$2 list=$3
expected=$(sed -n 's/^FRAMEWORK_EXPORT([0-9]*, \([A-Za-z_0-9]*\))$/\1/p' "$list" | sort)
# The export name table: lines "[ord] name" after "[Ordinal/Name Pointer] Table".
actual=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
    | sed -n "s/^[[:space:]]*\\[ *[0-9]*\\] *\\([^[:space:]]*\\)\$/\\1/p" | sort)
n_expected=$(printf '%s\n' "$expected" | grep -c .)
[ "$n_expected" -eq 79 ] || { echo "export list has $n_expected names, not 79"; exit 1; }
if [ "$expected" != "$actual" ]; then
    echo "export names differ (< expected, > in $dll):"
    printf '%s\n' "$expected" > /tmp/expected.$$; printf '%s\n' "$actual" > /tmp/actual.$$
    diff /tmp/expected.$$ /tmp/actual.$$ || true
    rm -f /tmp/expected.$$ /tmp/actual.$$
    exit 1
fi
echo "all 79 export names present and undecorated"
