#!/usr/bin/env python3
"""Writes the smiley pictures beside this script, the same bytes on every run."""
import pathlib
import struct
import zlib

SMILEY = [0x3C, 0x42, 0xA5, 0x81, 0xA5, 0x99, 0x42, 0x3C]
INK = (0, 0, 0, 255)


def png(width, height, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width))
                    for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def smiley(background, margin=0):
    def pixel(x, y):
        x, y = x - margin, y - margin
        inside = 0 <= x < 8 and 0 <= y < 8
        return INK if inside and SMILEY[y] >> (7 - x) & 1 else background
    return pixel


here = pathlib.Path(__file__).parent
(here / "smiley-transparent.png").write_bytes(png(8, 8, smiley((0, 0, 0, 0))))
(here / "smiley-near-white.png").write_bytes(png(8, 8, smiley((250, 250, 250, 255))))
(here / "smiley-margin.png").write_bytes(png(16, 16, smiley((0, 0, 0, 0), margin=4)))
