#!/bin/sh
# Seeds for the icon fuzzer: a two-image icon file from ImageMagick, a type-0 file, a cursor.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/corpus"
convert -size 32x32 -seed 5 plasma:fractal -colors 16 -define icon:auto-resize=16,32 \
  "$here/corpus/two_images.ico"
printf '\000\000\000\000\000\000' > "$here/corpus/type0.ico"
printf '\000\000\002\000\000\000' > "$here/corpus/cursor.ico"
