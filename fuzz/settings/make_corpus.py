#!/usr/bin/env python3
"""Writes the settings fuzzer's seed corpus: whole, short, long and odd settings records."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def record(color, thickness, path, top, left, in_tray, stay_on_top, tail=b"", align=b"\0\0"):
    field = path + b"\0" + tail
    field = field[:256].ljust(256, b"\0")
    return struct.pack("<ii", color, thickness) + field + struct.pack(
        "<iiBB", top, left, in_tray, stay_on_top) + align


def main():
    os.makedirs(HERE, exist_ok=True)
    sample = record(0xFFFFFF, 3, b"Z:\\work\\run\\sample.bmp", 107, 192, 0, 0)
    seeds = {
        "whole_record": sample,
        "tray_and_on_top": record(0x008000, 5, b"C:\\pictures\\desk.jpg", -40, -1280, 1, 1),
        # A path in Shift-JIS whose characters end in 0x5C, with an older path's tail behind it.
        "shift_jis_path_with_tail": record(0x0000FF, 0, "C:\\写真\\表.bmp".encode("cp932"),
                                           0, 0, 2, 7, tail=b"older-longer-name.jpg",
                                           align=b"\xab\xcd"),
        "full_path_without_nul": struct.pack("<ii", 1, 1) + b"p" * 256 + struct.pack(
            "<iiBB", 1, 1, 1, 1) + b"\0\0",
        "short_100_bytes": sample[:100],
        "longer_than_a_record": sample + b"\x7f" * 24,
        "exe_path": b"C:\\Program Files\\v1.2\\tavilune.exe",
    }
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
