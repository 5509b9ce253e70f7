#!/bin/sh
# Takes a PNG picture of the main window, as an X server shows it, on a
# private Xvfb server. From the source directory, after a build:
#
#   docs/tools/screenshot.sh docs/main-window.png [BUILD_DIR]
#   docs/tools/screenshot.sh docs/calculator-screen.png BUILD_DIR screen
#   docs/tools/screenshot.sh docs/sprite-set.png BUILD_DIR set
#
# BUILD_DIR defaults to build; "screen" takes the calculator screen window,
# "set" the Sprite Set window beside it playing frames. Needs the packages
# xvfb and xauth.
set -eu

output=${1:?usage: screenshot.sh OUTPUT.png [BUILD_DIR]}
build=${2:-build}
here=$(dirname "$0")
program=$build/docs/tools/quillox_screenshot

if [ ! -x "$program" ]; then
    echo "$program is missing: build the target quillox_screenshot first" >&2
    exit 1
fi
rm -f "$output"
sh "$here/../../tests/desktop/run-on-xvfb.sh" "$program" "$output" ${3:+"$3"}
[ -s "$output" ] || { echo "no picture was written to $output" >&2; exit 1; }
echo "wrote $output"
