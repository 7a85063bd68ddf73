#!/usr/bin/env python3
"""Converts an X window dump (xwd, ZPixmap, 24 or 32 bits per pixel) into a PNG,
optionally cut to a rectangle, so that `make demo` needs no image tools.

    tools/xwd-to-png.py dump.xwd out.png [x y width height]
"""
import struct
import sys
import zlib

HEADER_FIELDS = (
    "header_size file_version pixmap_format pixmap_depth width height xoffset byte_order "
    "bitmap_unit bitmap_bit_order bitmap_pad bits_per_pixel bytes_per_line visual_class "
    "red_mask green_mask blue_mask bits_per_rgb colormap_entries ncolors"
).split()
ZPIXMAP = 2


def read_xwd(data, rect=None):
    """Width, height and RGB rows of the dump, or of the part of it in rect (x, y, w, h)."""
    header = dict(zip(HEADER_FIELDS, struct.unpack_from(">%dI" % len(HEADER_FIELDS), data)))
    if header["file_version"] != 7 or header["pixmap_format"] != ZPIXMAP:
        sys.exit("xwd-to-png: not a version 7 ZPixmap dump")
    bpp = header["bits_per_pixel"]
    if bpp not in (24, 32):
        sys.exit("xwd-to-png: %d bits per pixel are not supported" % bpp)
    pixels_at = header["header_size"] + 12 * header["ncolors"]
    order = "<" if header["byte_order"] == 0 else ">"
    masks = [header[m] for m in ("red_mask", "green_mask", "blue_mask")]
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    step = bpp // 8
    width, height, stride = header["width"], header["height"], header["bytes_per_line"]
    left, top = 0, 0
    if rect:
        left, top = max(0, rect[0]), max(0, rect[1])
        width, height = min(rect[2], width - left), min(rect[3], height - top)
        if width <= 0 or height <= 0:
            sys.exit("xwd-to-png: the rectangle lies outside the dump")
    rows = []
    for y in range(top, top + height):
        start = pixels_at + y * stride + left * step
        line = data[start : start + width * step]
        if len(line) < width * step:
            sys.exit("xwd-to-png: the dump is cut short")
        row = bytearray(3 * width)
        for x in range(width):
            chunk = line[x * step : x * step + step]
            value = int.from_bytes(chunk, "little" if order == "<" else "big")
            for c in range(3):
                row[3 * x + c] = ((value & masks[c]) >> shifts[c]) & 0xFF
        rows.append(row)
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(r) for r in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    if len(argv) not in (3, 7):
        sys.exit(__doc__)
    rect = tuple(int(v) for v in argv[3:7]) if len(argv) == 7 else None
    with open(argv[1], "rb") as f:
        width, height, rows = read_xwd(f.read(), rect)
    write_png(argv[2], width, height, rows)


if __name__ == "__main__":
    main(sys.argv)
