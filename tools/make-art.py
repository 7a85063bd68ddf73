#!/usr/bin/env python3
"""Draws the application icon and the About box logo of Lintra Config.

Writes app/resources/LintraConfig.ico (icon resource 2: 32x32 in 16 colours,
32x32 in two colours, 16x16 in 16 colours) and app/resources/VelkorLogo.bmp
(200x60, 16 colours). Both files are committed; run this again after a change:

    python3 tools/make-art.py
"""
import pathlib
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "app" / "resources"

# The 16 standard colours of the Windows palette, as (r, g, b).
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARKRED, DARKBLUE, GREY, DARKGREY, RED, BLUE, YELLOW, WHITE = 0, 1, 4, 7, 8, 9, 12, 11, 15

FONT = {  # 5x7 glyphs, one string per row
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "S": [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    "N": ["X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"],
    "D": ["XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."],
    "G": [".XXXX", "X....", "X....", "X.XXX", "X...X", "X...X", ".XXX."],
    "M": ["X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"],
    "B": ["XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."],
    "H": ["X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


class Canvas:
    """Pixels as palette indices, row 0 at the top; None is transparent."""

    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y][x] = colour

    def text(self, x, y, string, scale, colour):
        for ch in string:
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == "X":
                        self.rect(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                  y + (row + 1) * scale, colour)
            x += 6 * scale


def pack_rows(canvas, bits, value):
    """Bottom-up rows of `bits` bits per pixel, each padded to 4 bytes."""
    out = bytearray()
    for y in reversed(range(canvas.height)):
        acc, nbits, row = 0, 0, bytearray()
        for x in range(canvas.width):
            acc = (acc << bits) | value(canvas.pixels[y][x])
            nbits += bits
            if nbits == 8:
                row.append(acc)
                acc, nbits = 0, 0
        if nbits:
            row.append(acc << (8 - nbits))
        while len(row) % 4:
            row.append(0)
        out += row
    return bytes(out)


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colours)


def info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def icon_image(canvas, bits):
    if bits == 4:
        colours = PALETTE16
        xor = pack_rows(canvas, 4, lambda p: 0 if p is None else p)
    else:
        colours = [(0, 0, 0), (255, 255, 255)]
        xor = pack_rows(canvas, 1, lambda p: 0 if p is None else (1 if p in (WHITE, YELLOW, GREY) else 0))
    mask = pack_rows(canvas, 1, lambda p: 1 if p is None else 0)
    header = info_header(canvas.width, canvas.height * 2, bits, len(colours), len(xor) + len(mask))
    return header + palette_bytes(colours) + xor + mask


def draw_icon(size):
    """A dark blue adapter body with a yellow plug and the letter L."""
    c = Canvas(size, size, None)
    s = size / 32.0

    def r(x0, y0, x1, y1, colour):
        c.rect(int(x0 * s), int(y0 * s), int(x1 * s), int(y1 * s), colour)

    r(2, 8, 22, 28, DARKBLUE)      # adapter body
    r(3, 9, 21, 27, BLUE)
    r(7, 12, 10, 24, WHITE)        # the L
    r(7, 21, 17, 24, WHITE)
    r(22, 13, 27, 23, GREY)        # plug collar
    r(27, 15, 31, 21, YELLOW)      # contacts
    r(0, 17, 2, 19, DARKGREY)      # cable
    return c


def write_icon(path):
    images = [(draw_icon(32), 4, 16), (draw_icon(32), 1, 2), (draw_icon(16), 4, 16)]
    blobs = [icon_image(canvas, bits) for canvas, bits, _ in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (canvas, bits, colours), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", canvas.width, canvas.height, colours if colours < 256 else 0, 0, 1,
                           bits, len(blob), offset)
        offset += len(blob)
    path.write_bytes(out + b"".join(blobs))


def write_logo(path):
    c = Canvas(200, 60, WHITE)
    c.rect(0, 0, 200, 4, DARKBLUE)
    c.rect(0, 56, 200, 60, DARKBLUE)
    c.text(21, 9, "VELKOR", 4, DARKBLUE)          # 6 letters of 24 px
    c.rect(21, 40, 179, 42, RED)
    c.text(51, 45, "SANDREL GMBH", 1, DARKGREY)
    pixels = pack_rows(c, 4, lambda p: p)
    header = info_header(200, 60, 4, 16, len(pixels))
    body = header + palette_bytes(PALETTE16) + pixels
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 14 + 40 + 16 * 4)
    path.write_bytes(file_header + body)


if __name__ == "__main__":
    OUT.mkdir(parents=True, exist_ok=True)
    write_icon(OUT / "LintraConfig.ico")
    write_logo(OUT / "VelkorLogo.bmp")
