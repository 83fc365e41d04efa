#!/usr/bin/env python3
"""Makes the JPEG test pictures with cjpeg and records what djpeg decodes them to.

Run from anywhere; writes into this folder. The pictures are small (a few KB) and committed, as
are the checksums in expected.txt, so the tests need neither tool. Each checksum is FNV-1a 64 of
the decoded colours, top row first, blue, green and red bytes for each pixel; an 8-bit result is
looked up in its colour table first, so the checksum does not depend on the table's size.
The decoding parameters are those of the program: floating-point transform, smoothing on, and
for 8-bit results quantisation to 236 colours.
"""
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 67, 45  # odd sides: partial blocks at the right and bottom edges


def source_ppm():
    # Smooth gradients with hard edges and a fine checker patch: something for every stage of
    # the decoder (colour conversion, upsampling, the quantiser's choices).
    rows = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            r = (x * 255) // (WIDTH - 1)
            g = (y * 255) // (HEIGHT - 1)
            b = ((x + y) * 7) % 256
            if 20 <= x < 36 and 10 <= y < 26:
                r, g, b = (240, 30, 30) if (x // 2 + y // 2) % 2 else (20, 20, 200)
            if y > 34 and x > 50:
                r = g = b = 250
            rows += bytes((r, g, b))
    return b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + bytes(rows)


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for byte in data:
        h ^= byte
        h = (h * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def canonical_from_bmp(bmp):
    offset = struct.unpack_from("<I", bmp, 10)[0]
    header_size, width, height = struct.unpack_from("<Iii", bmp, 14)
    bits = struct.unpack_from("<H", bmp, 28)[0]
    stride = (width * bits + 31) // 32 * 4
    top_down = height < 0
    height = abs(height)
    table = 14 + header_size
    out = bytearray()
    for y in range(height):
        stored = y if top_down else height - 1 - y
        start = offset + stored * stride
        row = bmp[start:start + width * bits // 8]
        if bits == 8:
            for index in row:
                out += bmp[table + 4 * index:table + 4 * index + 3]
        else:
            out += row
    return width, height, bits, fnv1a64(out)


def main():
    files = {
        "baseline_420.jpg": ["-quality", "85", "-sample", "2x2"],
        "baseline_444.jpg": ["-quality", "85", "-sample", "1x1"],
        "progressive.jpg": ["-quality", "85", "-progressive"],
        "grayscale.jpg": ["-quality", "85", "-grayscale"],
        "restart.jpg": ["-quality", "85", "-restart", "1"],
    }
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "source.ppm")
        with open(ppm, "wb") as f:
            f.write(source_ppm())
        # Sequential coding with one scan per component: not progressive, yet spread over
        # several scans, so the decoder keeps the whole picture's coefficients.
        scans = os.path.join(tmp, "one_scan_per_component.txt")
        with open(scans, "w") as f:
            f.write("0;\n1;\n2;\n")
        files["multiscan.jpg"] = ["-quality", "85", "-sample", "2x2", "-scans", scans]
        for name, options in files.items():
            subprocess.run(["cjpeg", *options, "-outfile", os.path.join(HERE, name), ppm],
                           check=True)
        # A CMYK file (as some photo editors write them), which the program cannot show; made
        # with ImageMagick because cjpeg has no CMYK input.
        subprocess.run(["convert", ppm, "-colorspace", "CMYK", "-quality", "85",
                        os.path.join(HERE, "cmyk.jpg")], check=True)
        lines = ["# file pixel-format width height fnv1a64"]
        for name in files:
            decodes = [("24", [])] if name != "grayscale.jpg" else []
            decodes.append(("8", ["-colors", "236"]))
            for mode, extra in decodes:
                bmp = subprocess.run(["djpeg", "-dct", "float", *extra, "-bmp",
                                      os.path.join(HERE, name)],
                                     check=True, capture_output=True).stdout
                width, height, bits, digest = canonical_from_bmp(bmp)
                assert str(bits) == mode, (name, bits)
                lines.append("%s %s %d %d %016x" % (name, mode, width, height, digest))
    with open(os.path.join(HERE, "expected.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
