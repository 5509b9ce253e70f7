#!/bin/sh
# The converter's budgets: 10,000 sprite files in one call (at most 1 s, memory
# flat), and the start-up of --version beside a hello world linked against
# Qt Core, measured in the same run (at most 1.5 times as long).
#
# usage: bench/convert-budgets.sh [BUILD_DIR]   (needs hyperfine)
set -eu
build=$(cd "${1:-build}" && pwd)
convert=$build/convert/quillox-convert
hello=$build/bench/quillox_hello_qtcore
work=$(mktemp -d "${TMPDIR:-/tmp}/quillox-convert-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# 10,000 sprites of every size with seeded random pixels.
python3 - "$work" <<'PY'
import random, sys
random.seed(1)
for n in range(10000):
    width, height = n % 15 + 1, n // 15 % 15 + 1
    cells = "".join(random.choice("01") for _ in range(width * height))
    with open("%s/s%05d.spr" % (sys.argv[1], n), "w", newline="") as f:
        f.write("%02d%02d%s\r\n" % (height, width, cells))
PY

cd "$work"
files=$(echo s*.spr)
echo "== 10,000 sprite files in one call"
# shellcheck disable=SC2086 # the file names are split on purpose
hyperfine -N --warmup 3 --runs 20 --export-json many.json \
    -n "10,000 files, -o out.z80" "$convert --bytes --label -o out.z80 $files" \
    -n "10,000 files, standard output" "$convert --bytes --label $files"
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 10,000 files, -o: %M KiB" "$convert" --bytes --label -o out.z80 $files
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 10,000 files, standard output: %M KiB" \
    "$convert" --bytes --label $files >/dev/null
/usr/bin/time -f "max resident, one file: %M KiB" "$convert" --bytes --label -o one.z80 s00000.spr

echo "== start-up: --version beside a Qt Core hello world"
hyperfine -N --warmup 20 --runs 500 --export-json start.json "$hello" "$convert --version"

python3 - <<'PY'
import json
many = [r["median"] for r in json.load(open("many.json"))["results"]]
hello, version = (r["median"] for r in json.load(open("start.json"))["results"])
print("10,000 files: -o %.0f ms, standard output %.0f ms (budget 1000 ms)"
      % (many[0] * 1e3, many[1] * 1e3))
print("start-up: hello %.2f ms, --version %.2f ms, ratio %.2f (budget 1.5)"
      % (hello * 1e3, version * 1e3, version / hello))
PY
