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


# TI-83 Plus picture files (Pic variables), as the link programs write them:
# the 55-byte head, one entry with the TI-83 Plus header, the checksum.
SHIP = [0x18, 0x3C, 0x24, 0x7E, 0xFF, 0xDB, 0x99, 0x18]


def pic_file(pixels, signature_end=b"\x1a\x0a\x00", comment=b"Saved by a link program"):
    picture = bytearray(12 * 63)
    for x, y in pixels:
        picture[y * 12 + x // 8] |= 0x80 >> (x % 8)
    data = struct.pack("<H", len(picture)) + bytes(picture)
    name = b"\x60\x00".ljust(8, b"\0")  # Pic1
    entry = (struct.pack("<HHB", 0x0D, len(data), 0x07) + name + b"\0\0" +
             struct.pack("<H", len(data)) + data)
    head = b"**TI83F*" + signature_end + comment.ljust(42, b"\0") + struct.pack("<H", len(entry))
    return head + entry + struct.pack("<H", sum(entry) & 0xFFFF)


def drawn(rows, left, top):
    return [(left + x, top + y) for y, row in enumerate(rows) for x in range(8)
            if row >> (7 - x) & 1]


ship = drawn(SHIP, 44, 28)
(here / "ship-pic1.8xi").write_bytes(pic_file(ship))
# TI Connect CE ends the signature with 0A where older programs write 00.
(here / "ship-ti-connect-ce.8xi").write_bytes(
    pic_file(ship, b"\x1a\x0a\x0a", b"Created by TI Connect CE"))
# A title screen: a frame wider than any sprite.
title = [(x, y) for x in range(10, 40) for y in (5, 14)] + [(x, y) for x in (10, 39)
                                                            for y in range(5, 15)]
(here / "title-screen.8xi").write_bytes(pic_file(title))
