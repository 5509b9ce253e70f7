#!/bin/sh
# The converter's budgets: 10,000 sprite files in one call (at most 1 s, memory
# flat), a 1200 x 1200 sheet of 8 x 8 tiles with masks and labels (22,500
# sprites, at most 1 s, memory flat in the number of tiles), the same sheet in
# 16 x 16 tiles to C arrays (5,625 arrays, at most 1 s, memory flat in the
# number of tiles: all of them beside the first 100, and a 2400 x 2400 sheet),
# a 96 x 64 picture to a TI-83 Plus AppVar (at most 1 s), and the start-up of
# --version beside a hello world linked against Qt Core, measured in the same
# run (at most 1.5 times as long).
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

# Sheets of 8 x 8 tiles of black, white and transparent pixels, 1200 x 1200
# and 80 x 80 pixels; a 96 x 64 screen of the same pixels.
python3 - "$work" <<'PY'
import random, struct, sys, zlib
random.seed(2)
colours = [b"\0\0\0\xff", b"\xff\xff\xff\xff", b"\0\0\0\0"]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
for name, width, height in (("sheet2400", 2400, 2400), ("sheet1200", 1200, 1200),
                            ("sheet80", 80, 80), ("screen", 96, 64)):
    rows = b"".join(b"\0" + b"".join(random.choice(colours) for _ in range(width))
                    for _ in range(height))
    with open("%s/%s.png" % (sys.argv[1], name), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))
PY

cd "$work"
echo "== a 1200 x 1200 sheet of 8 x 8 tiles, --mask --bytes --label ($(wc -c <sheet1200.png) bytes)"
sheet="--tile=8x8 --mask --bytes --label"
hyperfine -N --warmup 2 --runs 10 --export-json sheet.json \
    -n "22,500 tiles, -o sheet.inc" "$convert $sheet -o sheet.inc sheet1200.png" \
    -n "22,500 tiles, standard output" "$convert $sheet sheet1200.png"
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 22,500 tiles of the 1200 x 1200 sheet: %M KiB" \
    "$convert" $sheet -o sheet.inc sheet1200.png
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, the first 100 tiles of the 1200 x 1200 sheet: %M KiB" \
    "$convert" $sheet --tiles=100 -o sheet.inc sheet1200.png
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 100 tiles of an 80 x 80 sheet: %M KiB" \
    "$convert" $sheet -o sheet.inc sheet80.png

echo "== a 96 x 64 picture to a TI-83 Plus AppVar"
hyperfine -N --warmup 3 --runs 20 --export-json appvar.json \
    -n "96 x 64 to .8xv" "$convert --to=8xv --name=SCREEN -o screen.8xv screen.png"

echo "== the 1200 x 1200 sheet in 16 x 16 tiles to C arrays, --to=c --mask --header"
csheet="--to=c --tile=16x16 --mask --header"
hyperfine -N --warmup 2 --runs 10 --export-json csheet.json \
    -n "5,625 arrays, -o sheet.c" "$convert $csheet -o sheet.c sheet1200.png"
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 5,625 arrays of the 1200 x 1200 sheet: %M KiB" \
    "$convert" $csheet -o sheet.c sheet1200.png
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, the first 100 arrays of the 1200 x 1200 sheet: %M KiB" \
    "$convert" $csheet --tiles=100 -o sheet.c sheet1200.png
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, 22,500 arrays of a 2400 x 2400 sheet: %M KiB" \
    "$convert" $csheet -o sheet.c sheet2400.png
# shellcheck disable=SC2086
/usr/bin/time -f "max resident, the first 100 arrays of the 2400 x 2400 sheet: %M KiB" \
    "$convert" $csheet --tiles=100 -o sheet.c sheet2400.png

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
sheet = [r["median"] for r in json.load(open("sheet.json"))["results"]]
csheet = json.load(open("csheet.json"))["results"][0]["median"]
print("1200 x 1200 sheet: -o %.0f ms, standard output %.0f ms (budget 1000 ms)"
      % (sheet[0] * 1e3, sheet[1] * 1e3))
print("1200 x 1200 sheet of 16 x 16 tiles to C: %.0f ms (budget 1000 ms)" % (csheet * 1e3))
hello, version = (r["median"] for r in json.load(open("start.json"))["results"])
print("10,000 files: -o %.0f ms, standard output %.0f ms (budget 1000 ms)"
      % (many[0] * 1e3, many[1] * 1e3))
appvar = json.load(open("appvar.json"))["results"][0]["median"]
print("96 x 64 picture to .8xv: %.1f ms (budget 1000 ms)" % (appvar * 1e3))
print("start-up: hello %.2f ms, --version %.2f ms, ratio %.2f (budget 1.5)"
      % (hello * 1e3, version * 1e3, version / hello))
PY
