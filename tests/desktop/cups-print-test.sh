#!/bin/sh
# Prints the code on a real printer: starts a private CUPS server in a
# temporary directory, makes a PDF queue whose output lands in a file its
# default, runs the print test binary against it and checks the printed
# pages: two, each with every digit of the code, TABs and all, and its page
# number. With no default printer, and with no CUPS server at all, the binary
# expects the problem message, and nothing is printed.
#
# usage: cups-print-test.sh PRINT_TEST_BINARY
# Exits 77 (skipped) when cupsd is not installed.
set -eu

binary=${1:?usage: cups-print-test.sh PRINT_TEST_BINARY}
PATH=$PATH:/usr/sbin:/sbin
export PATH
queue=quillox-test
wait_seconds=60

if ! command -v cupsd >/dev/null 2>&1; then
    echo "cupsd is not installed (Debian package cups); skipping"
    exit 77
fi
for tool in lpadmin lpinfo lpstat pdfinfo pdftotext; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is missing (Debian packages cups-client, poppler-utils)" >&2
        exit 1
    fi
done

# A socket path must fit in 108 bytes, so fall back to /tmp for a long TMPDIR.
work=$(mktemp -d "${TMPDIR:-/tmp}/quillox-cups.XXXXXX")
if [ ${#work} -gt 80 ]; then
    rmdir "$work"
    work=$(mktemp -d /tmp/quillox-cups.XXXXXX)
fi
cupsd_pid=""

fail() {
    echo "FAIL: $*" >&2
    if [ -f "$work/log/error_log" ]; then
        echo "--- end of the CUPS error_log ---" >&2
        tail -n 150 "$work/log/error_log" >&2
    fi
    exit 1
}

stop_cupsd() {
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
        cupsd_pid=""
    fi
}

cleanup() {
    stop_cupsd
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The filters run as the lp user: they must reach the spool under $work.
chmod 755 "$work"
mkdir -p "$work/etc" "$work/spool/tmp" "$work/log" "$work/cache" "$work/state" \
    "$work/home" "$work/out"
mkdir -m 700 "$work/runtime"
chmod 777 "$work/out"
socket=$work/cups.sock
output=$work/out/job.pdf

cat >"$work/etc/cupsd.conf" <<EOF
Listen $socket
LogLevel debug
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
DefaultPolicy open
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy open>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Printcap $work/etc/printcap
FileDevice Yes
EOF

# Clients talk only to this server and read no settings of the machine or
# of the user.
CUPS_SERVER=$socket
CUPS_SERVERROOT=$work/etc
HOME=$work/home
XDG_RUNTIME_DIR=$work/runtime
export CUPS_SERVER CUPS_SERVERROOT HOME XDG_RUNTIME_DIR
unset PRINTER LPDEST XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME || true
QT_QPA_PLATFORM=offscreen
export QT_QPA_PLATFORM

# Waits until "$@" succeeds, at most $wait_seconds; gives up at once when
# the server has ended.
wait_for() {
    tries=$((wait_seconds * 5))
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        if [ -n "$cupsd_pid" ] && ! kill -0 "$cupsd_pid" 2>/dev/null; then
            echo "cupsd has ended" >&2
            return 1
        fi
        sleep 0.2
    done
}

scheduler_running() {
    lpstat -r | grep -q "scheduler is running"
}

no_pending_jobs() {
    [ -z "$(lpstat -W not-completed -o "$queue")" ]
}

cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" &
cupsd_pid=$!
wait_for scheduler_running || fail "cupsd did not start within $wait_seconds s"

# A server without any printer.
"$binary" || fail "printing without a printer failed"
[ -z "$(ls -A "$work/out")" ] || fail "printing without a printer wrote output"

# The generic PDF printer of cups-filters: its pages pass through the filter
# chain and still come out as PDF.
model=$(lpinfo -m | awk '$1 ~ /Generic-PDF_Printer-PDF\.ppd$/ { print $1; exit }')
[ -n "$model" ] || fail "CUPS has no Generic PDF Printer driver (Debian package cups-filters)"
lpadmin -p "$queue" -E -v "file://$output" -m "$model" || fail "lpadmin could not add $queue"
lpadmin -d "$queue" || fail "lpadmin could not make $queue the default"

QUILLOX_PRINT_QUEUE=$queue QUILLOX_PRINTED_TEXT=$work/printed.txt "$binary" ||
    fail "printing failed"
wait_for no_pending_jobs || fail "the print job did not finish within $wait_seconds s"
jobs=$(lpstat -W completed -o "$queue" | wc -l)
[ "$jobs" -eq 1 ] || fail "expected one completed job, found $jobs"
[ -s "$output" ] || fail "the printer wrote no output"

pages=$(pdfinfo "$output" | sed -n 's/^Pages: *//p')
[ "$pages" = 2 ] || fail "expected 2 pages, the printer made ${pages:-none}"

# Tabs and layout spacing count as one space; blank lines do not count.
normalise() {
    tr -d '\r' | sed 's/[[:space:]][[:space:]]*/ /g; s/^ //; s/ $//' | grep -v '^$' || true
}

for page in 1 2; do
    # The code, with the page number and "." right after the last digit.
    { cat "$work/printed.txt"; printf '%s.\n' "$page"; } | normalise >"$work/expected-$page.txt"
    pdftotext -layout -f "$page" -l "$page" "$output" - | normalise >"$work/page-$page.txt"
    if ! diff -u "$work/expected-$page.txt" "$work/page-$page.txt"; then
        fail "page $page does not show the code"
    fi
done
echo "both pages show the code"

# No CUPS server at all.
before=$(cksum "$output")
stop_cupsd
"$binary" || fail "printing without a server failed"
[ "$(ls -A "$work/out")" = job.pdf ] || fail "printing without a server wrote output"
[ "$(cksum "$output")" = "$before" ] || fail "printing without a server changed the output"

echo "PASS"
