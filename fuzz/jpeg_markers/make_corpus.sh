#!/bin/sh
# Seeds for the JPEG marker fuzzer: marker lists (a byte picking APP1, APP2 or APP14 by its value
# modulo 3, a big-endian length, the payload) as cameras and editors write them, and a few damaged.
# Also seeds for the JPEG fuzzer: the test pictures with an EXIF orientation put in after their
# start, so that it decodes turned pictures too (its CMYK seed is the test pictures' cmyk.jpg).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/corpus"
python3 - "$here/corpus" "$here/../jpeg/corpus" "$here/../../tests/data/jpeg" <<'PY'
import struct, sys, os
out, jpeg_out, jpeg_data = sys.argv[1:4]
APP1, APP2, APP14 = 0, 1, 2

def marker(kind, payload):
    return bytes([kind]) + struct.pack(">H", len(payload)) + payload

def exif(order, tag=0x0112, type_=3, count=1, value=6, ifd=8, entries=1, extra=b""):
    e = "<" if order == b"II" else ">"
    entry = struct.pack(e + "HHIH2x", tag, type_, count, value)
    other = struct.pack(e + "HHII", 0x010F, 2, 4, 0x61626300)  # a camera maker entry first
    return (b"Exif\0\0" + order + struct.pack(e + "HI", 42, ifd) +
            struct.pack(e + "H", entries + 1) + other + entry + struct.pack(e + "I", 0) + extra)

def icc(seq, count, body):
    return b"ICC_PROFILE\0" + bytes([seq, count]) + body

adobe = b"Adobe" + struct.pack(">HHHB", 100, 0, 0, 2)
profile = bytes(range(256)) * 3
seeds = {
    "exif_ii_6": marker(APP1, exif(b"II")),
    "exif_mm_8": marker(APP1, exif(b"MM", value=8)),
    "exif_long_type": marker(APP1, exif(b"II", type_=4)),
    "exif_ifd_outside": marker(APP1, exif(b"MM", ifd=5000)),
    "xmp_then_exif": marker(APP1, b"http://ns.adobe.com/xap/1.0/\0<x/>") + marker(APP1, exif(b"II", value=3)),
    "icc_three_chunks_out_of_order": marker(APP2, icc(2, 3, profile[256:512])) +
        marker(APP2, icc(3, 3, profile[512:])) + marker(APP2, icc(1, 3, profile[:256])),
    "icc_repeated": marker(APP2, icc(1, 2, b"ab")) + marker(APP2, icc(1, 2, b"ab")),
    "adobe_ycck": marker(APP14, adobe),
    "camera_file": marker(APP1, exif(b"II", value=5)) + marker(APP2, icc(1, 1, profile)) +
        marker(APP14, adobe[:-1] + b"\0"),
}
# A profile that checks out, as a phone writes it: in two chunks.
with open(os.path.join(out, "..", "..", "icc", "corpus", "wide_gamma18.icc"), "rb") as f:
    wide = f.read()
seeds["icc_wide_gamut_two_chunks"] = (marker(APP2, icc(1, 2, wide[:200])) +
                                      marker(APP2, icc(2, 2, wide[200:])))
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
for source, value in (("baseline_420.jpg", 6), ("progressive.jpg", 7), ("cmyk.jpg", 8)):
    with open(os.path.join(jpeg_data, source), "rb") as f:
        jpeg = f.read()
    payload = exif(b"MM", value=value)
    app1 = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
    with open(os.path.join(jpeg_out, "orientation_%d_%s" % (value, source)), "wb") as f:
        f.write(jpeg[:2] + app1 + jpeg[2:])
PY
