#!/bin/sh
# Runs a program on the xcb platform under its own Xvfb server, with a
# temporary home so that nothing touches the user's own.
#
# usage: run-on-xvfb.sh PROGRAM [ARGUMENT...]
set -eu

if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "FAIL: xvfb-run is missing (Debian packages xvfb, xauth)" >&2
    exit 1
fi

home=$(mktemp -d "${TMPDIR:-/tmp}/quillox-xvfb.XXXXXX")
trap 'rm -rf "$home"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -m 700 "$home/runtime"

HOME=$home
XDG_RUNTIME_DIR=$home/runtime
XDG_CONFIG_HOME=$home/config
XDG_CACHE_HOME=$home/cache
XDG_DATA_HOME=$home/data
QT_QPA_PLATFORM=xcb
export HOME XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME QT_QPA_PLATFORM
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY || true

# Notes the server's process from its lock file, then runs the program.
# shellcheck disable=SC2016 # expanded by the inner shell
record_server='
lock=/tmp/.X${DISPLAY#:}-lock
[ -r "$lock" ] && tr -dc 0-9 <"$lock" >"$QUILLOX_XVFB_PID_FILE"
exec "$@"'
QUILLOX_XVFB_PID_FILE=$home/xvfb.pid
export QUILLOX_XVFB_PID_FILE

# Not exec: the trap removes the home afterwards.
status=0
# -noreset: by default the server resets whenever its last client leaves,
# and refuses connections while it does.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh -c "$record_server" sh "$@" || status=$?

# xvfb-run signals the server to end but does not wait for it. A server
# that has exited but not yet been reaped counts as ended.
server_running() {
    case $(ps -o stat= -p "$1" 2>/dev/null) in
    "" | Z*) return 1 ;;
    *) return 0 ;;
    esac
}
if [ -s "$home/xvfb.pid" ]; then
    server=$(cat "$home/xvfb.pid")
    tries=50
    while server_running "$server" && [ "$tries" -gt 0 ]; do
        tries=$((tries - 1))
        sleep 0.2
    done
fi
exit "$status"
