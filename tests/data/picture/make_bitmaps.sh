#!/bin/sh
# Makes the bitmap files of the decoder's tests with ImageMagick and, for each, the pixels
# ImageMagick itself reads from it (name.rgb: red, green, blue bytes, top row first). Run once
# when the set changes; the tests need only the committed results.
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Odd widths so that rows need padding; a posterised picture has runs for run-length coding.
convert -size 13x9 -seed 7 plasma:fractal "$tmp/plasma.png"
convert -size 29x11 -seed 3 plasma:fractal -posterize 3 "$tmp/flat.png"
convert "$tmp/plasma.png" -alpha set -channel A -fx "i/w" +channel "$tmp/alpha.png"

make() {
  name=$1; format=$2; shift 2
  convert "$@" "$format:$name.bmp"
  convert "$name.bmp" -depth 8 "rgb:$name.rgb"
}

make rgb24            BMP3 "$tmp/plasma.png" -type TrueColor
make rgb24_v5         BMP "$tmp/plasma.png" -type TrueColor
make argb32           BMP3 "$tmp/alpha.png" -define bmp3:alpha=true
make argb32_v5        BMP "$tmp/alpha.png"
make rgb565_v5        BMP "$tmp/plasma.png" -define bmp:subtype=RGB565
make rgb555_v5        BMP "$tmp/plasma.png" -define bmp:subtype=RGB555
make pal8             BMP3 "$tmp/plasma.png" -colors 200 -type Palette -compress None
make pal4             BMP3 "$tmp/plasma.png" -colors 16 -type Palette -compress None
make mono1            BMP3 "$tmp/plasma.png" -monochrome -type Bilevel
make rle8             BMP3 "$tmp/flat.png" -colors 60 -type Palette -compress RLE
make core24           BMP2 "$tmp/plasma.png" -type TrueColor
make core8            BMP2 "$tmp/plasma.png" -colors 200 -type Palette
make core4            BMP2 "$tmp/plasma.png" -colors 16 -type Palette
make info4            BMP3 "$tmp/plasma.png" -colors 16 -type Palette -compress None

# ImageMagick writes 16-bit bit fields behind a 40-byte header without the masks that must follow
# it, so those are made from the 124-byte versions: the first 40 header bytes, the masks, the
# pixels. The 555 one also comes without bit fields (compression 0, the default 555 layout).
shrink() {
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
source, target, keep_masks = sys.argv[1], sys.argv[2], sys.argv[3] == "masks"
data = open(source, "rb").read()
header = bytearray(data[14:54])
masks = data[54:66]
pixels = data[14 + 124:]
struct.pack_into("<I", header, 0, 40)
if not keep_masks:
    struct.pack_into("<I", header, 16, 0)
    masks = b""
offset = 14 + 40 + len(masks)
body = bytes(header) + masks + pixels
open(target, "wb").write(b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body)
PY
  convert "$2" -depth 8 "rgb:${2%.bmp}.rgb"
}
shrink rgb565_v5.bmp rgb565.bmp masks
shrink rgb555_v5.bmp rgb555.bmp masks
shrink rgb555_v5.bmp rgb555_plain.bmp plain
