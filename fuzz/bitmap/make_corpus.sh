#!/bin/sh
# Seeds for the bitmap fuzzer: some of the decoder's test bitmaps and a run-length 4-bit file.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data="$here/../../tests/data/picture"
mkdir -p "$here/corpus"
for name in rle8 core4 argb32_v5 rgb565 mono1 pal8; do cp "$data/$name.bmp" "$here/corpus/"; done
python3 - "$here/corpus/rle4.bmp" <<'PY'
import struct, sys
pixels = bytes([5, 0x12, 0, 0, 0, 3, 0x21, 0x20, 2, 0x01, 0, 2, 1, 0, 0, 1])
colors = bytes([255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0])
info = struct.pack("<IiiHHIIiiII", 40, 6, 3, 1, 4, 2, len(pixels), 2835, 2835, 3, 0)
body = info + colors + pixels
open(sys.argv[1], "wb").write(b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, 14 + 40 + 12) + body)
PY
