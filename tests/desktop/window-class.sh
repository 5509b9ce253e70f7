#!/bin/sh
# The program's windows carry exactly the class that the desktop entry names
# in StartupWMClass, so that docks group them with the launcher. Docks such as
# GNOME Shell compare the class case-sensitively, while `xdotool search
# --class` matches regardless of case, so the class is read with xprop and
# compared as a string. Run under run-on-xvfb.sh, whose server must not reset
# when its last client leaves (while it resets it refuses connections): a mark
# that a first client leaves on the root window must still be there after the
# program.
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
# The splash: the program's first window on screen.
if ! windows=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid"); then
    echo "FAIL: the program showed no window" >&2
    exit 1
fi
for window in $windows; do
    # WM_CLASS(STRING) = "instance", "class"
    wm_class=$(xprop -id "$window" WM_CLASS)
    actual=$(printf '%s\n' "$wm_class" | sed -n 's/^WM_CLASS(STRING) = ".*", "\(.*\)"$/\1/p')
    if [ "$actual" != "$class" ]; then
        echo "FAIL: window $window has class '${actual:-none}' ($wm_class)," \
            "the desktop entry says '$class'" >&2
        exit 1
    fi
done
if ! xprop -root _QUILLOX_MARK | grep -q kept; then
    echo "FAIL: the X server reset when its first client left" >&2
    exit 1
fi
echo "PASS: the splash's class is $class"
