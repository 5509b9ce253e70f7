#!/bin/sh
# The program's windows carry the class that the desktop entry names in
# StartupWMClass, so that docks group them with the launcher. Run under
# run-on-xvfb.sh.
#
# usage: window-class.sh QUILLOX DESKTOP_ENTRY
set -eu
program=${1:?usage: window-class.sh QUILLOX DESKTOP_ENTRY}
entry=${2:?usage: window-class.sh QUILLOX DESKTOP_ENTRY}
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$class" ] || { echo "FAIL: $entry has no StartupWMClass" >&2; exit 1; }
"$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
if ! timeout 30 xdotool search --sync --class "^$class\$" >/dev/null; then
    echo "FAIL: no window of class $class" >&2
    exit 1
fi
echo "PASS: the splash's class is $class"
