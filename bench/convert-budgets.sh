#!/bin/sh
# The converter's budgets: 10,000 sprite files in one call, and the start-up
# of --version beside a hello world linked against Qt Core, in the same run.
#
# usage: bench/convert-budgets.sh [BUILD_DIR]   (needs hyperfine)
set -eu
build=${1:-build}
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
echo "== 10,000 sprite files in one call (-o, atomic write)"
hyperfine --warmup 2 --runs 10 "$OLDPWD/$convert --bytes --label -o out.z80 s*.spr"
/usr/bin/time -f "max resident: %M KiB" "$OLDPWD/$convert" --bytes --label -o out.z80 s*.spr
/usr/bin/time -f "max resident, one file: %M KiB" "$OLDPWD/$convert" -o one.z80 s00000.spr
cd "$OLDPWD"

echo "== start-up: --version beside a Qt Core hello world"
hyperfine -N --warmup 50 --runs 500 "$hello" "$convert --version"
