#!/bin/sh
# Seeds for the metafile fuzzer: a smallest placeable Windows metafile and a smallest enhanced
# metafile (header and end records). Regression inputs beside them are kept as found, each
# named after the fault it caught.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/corpus"
python3 - "$here/corpus" <<'PY'
import struct, sys
out = sys.argv[1]
head = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 1000, 500, 1000, 0)
checksum = 0
for (word,) in struct.iter_unpack("<H", head):
    checksum ^= word
records = struct.pack("<IH", 3, 0)  # end of file
wmf_header = struct.pack("<HHHIHIH", 1, 9, 0x300, (18 + len(records)) // 2, 0, 3, 0)
open(out + "/placeable.wmf", "wb").write(head + struct.pack("<H", checksum) + wmf_header + records)
eof = struct.pack("<IIIII", 14, 20, 0, 16, 20)
total = 108 + len(eof)
emf = struct.pack("<II4i4iIIIIHHIIIii ii", 1, 108, 0, 0, 99, 49, 0, 0, 2540, 1270,
                  0x464D4520, 0x10000, total, 2, 1, 0, 0, 0, 0, 1024, 768, 320, 240)
emf += b"\0" * (108 - len(emf))
open(out + "/header_and_end.emf", "wb").write(emf + eof)
PY
