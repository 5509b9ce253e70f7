#!/bin/sh
# The program's windows carry the class that the desktop entry names in
# StartupWMClass, so that docks group them with the launcher. Run under
# run-on-xvfb.sh, whose server must not reset when its last client leaves
# (while it resets it refuses connections): a mark that a first client
# leaves on the root window must still be there after the program.
#
# usage: window-class.sh QUILLOX DESKTOP_ENTRY
set -eu
program=${1:?usage: window-class.sh QUILLOX DESKTOP_ENTRY}
entry=${2:?usage: window-class.sh QUILLOX DESKTOP_ENTRY}
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$class" ] || { echo "FAIL: $entry has no StartupWMClass" >&2; exit 1; }
xprop -root -f _QUILLOX_MARK 8s -set _QUILLOX_MARK kept
"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
if ! timeout 30 xdotool search --sync --class "^$class\$" >/dev/null; then
    echo "FAIL: no window of class $class" >&2
    exit 1
fi
if ! xprop -root _QUILLOX_MARK | grep -q kept; then
    echo "FAIL: the X server reset when its first client left" >&2
    exit 1
fi
echo "PASS: the splash's class is $class"
