#!/usr/bin/env bash
# Whole-process timing of the independent tools on the bytes the archive
# benchmark uses (the files of /usr/include/c++/12 in path order, cut at
# 10,000,000 bytes): gzip -6, the Java LHA tool's lh5 and lh6, and lhasa
# extracting the lh6 archive. Run after scripts/build; prints sizes and
# milliseconds, then runs the codec benchmarks for comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/headers.txt" <<'PY'
import pathlib, sys
files = sorted((p for p in pathlib.Path("/usr/include/c++/12").rglob("*") if p.is_file()),
               key=lambda p: p.parts)
data = bytearray()
for f in files:
    data += f.read_bytes()
    if len(data) >= 10_000_000:
        break
open(sys.argv[1], "wb").write(data[:10_000_000])
PY

cd "$work"
# Wall-clock milliseconds of one run of a command.
millis() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N); echo $(((e - s) / 1000000)); }

echo "gzip -6:        $(millis gzip -6 -k -f headers.txt) ms, $(stat -c %s headers.txt.gz) bytes"
echo "jlha lh5:       $(millis jlha ao5q lh5.lzh headers.txt) ms, packed $(lhasa v lh5.lzh | awk '/headers.txt/ {print $2}') bytes"
echo "jlha lh6:       $(millis jlha ao6q lh6.lzh headers.txt) ms, packed $(lhasa v lh6.lzh | awk '/headers.txt/ {print $2}') bytes"
mkdir out && cd out
echo "lhasa x (lh6):  $(millis lhasa xqf ../lh6.lzh) ms"
cd ..
"$root/build/bench/velomar_bench" --benchmark_filter='Crc|Fused|Zlib'
