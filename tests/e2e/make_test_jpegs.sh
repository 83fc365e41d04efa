#!/bin/sh
# Writes the small JPEGs the cases read into the folder $1:
# - bands.jpg: 200 x 192, four bands of 48 rows, top to bottom red, green, blue and yellow. The
#   bands meet at block edges and chroma is not subsampled, so each band decodes to one colour
#   (within a few levels) up to its edges.
# - flat.jpg: 240 x 160 of one colour, (180, 120, 90), for the cases that embed a colour profile.
set -e
{
  printf 'P6\n200 192\n255\n'
  for colour in '\377\000\000' '\000\377\000' '\000\000\377' '\377\377\000'; do
    printf "$colour%.0s" $(seq 9600)
  done
} | cjpeg -sample 1x1 -quality 95 > "$1/bands.jpg"
{
  printf 'P6\n240 160\n255\n'
  printf '\264\170\132%.0s' $(seq 38400)
} | cjpeg -sample 1x1 -quality 95 > "$1/flat.jpg"
