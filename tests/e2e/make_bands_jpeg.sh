#!/bin/sh
# Writes a 200 x 192 JPEG of four bands of 48 rows, top to bottom red, green, blue and yellow,
# to $1. The bands meet at block edges and chroma is not subsampled, so each band decodes to one
# colour (within a few levels) up to its edges.
set -e
{
  printf 'P6\n200 192\n255\n'
  for colour in '\377\000\000' '\000\377\000' '\000\000\377' '\377\377\000'; do
    printf "$colour%.0s" $(seq 9600)
  done
} | cjpeg -sample 1x1 -quality 95 > "$1"
