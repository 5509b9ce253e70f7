#!/bin/sh
# Assembles what the Windows build's assembler test left in FOLDER: each
# ROW.s with the command in ROW.command, which must make the bytes in
# ROW.expected without a message.
set -eu
cd "$1"
rows=0
for source in *.s; do
    [ -f "$source" ] || continue
    row=${source%.s}
    [ "$row" != s ] || continue
    rm -f s.s s.o s.bin
    cp "$source" s.s
    messages=$(sh -c "$(cat "$row.command")" 2>&1) || { echo "FAIL: $row: $messages" >&2; exit 1; }
    [ -z "$messages" ] || { echo "FAIL: $row: $messages" >&2; exit 1; }
    cmp s.bin "$row.expected" || { echo "FAIL: $row: not the expected bytes" >&2; exit 1; }
    rows=$((rows + 1))
done
[ "$rows" -gt 0 ] || { echo "FAIL: no sources in $1" >&2; exit 1; }
echo "$rows rows assembled as expected"
