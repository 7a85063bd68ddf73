#!/usr/bin/env python3
"""Writes a synthetic STEP 5 AS511 driver file for the demo: a 15360-byte PE32
image with its PE header at offset 128, one section of filler, the default
device names "\\Device\\Serial0" to "\\Device\\Serial3" in both copies of the
device-name table (offsets 12328 and 12456, four 32-byte UTF-16LE slots) and
a chosen value in the CheckSum field at offset 216 (default 0x13385, one of
the versions the tool knows).

    tools/make-driver-image.py OUT [CHECKSUM]
"""
import struct
import sys

SIZE = 15360
PE_HEADER = 128
OPTIONAL_HEADER = PE_HEADER + 24
SECTION_TABLE = OPTIONAL_HEADER + 224
HEADERS = 0x400
TABLES = (12328, 12456)
DEFAULT_NAMES = ["\\Device\\Serial%d" % k for k in range(4)]


def make_image(checksum):
    image = bytearray(SIZE)
    image[0:2] = b"MZ"
    struct.pack_into("<I", image, 0x3C, PE_HEADER)
    image[PE_HEADER : PE_HEADER + 4] = b"PE\0\0"
    # File header: i386, one section, PE32 optional header, executable.
    struct.pack_into("<HHIIIHH", image, PE_HEADER + 4, 0x014C, 1, 0x3A5B1C00, 0, 0, 224, 0x010E)
    o = OPTIONAL_HEADER
    struct.pack_into("<H", image, o, 0x010B)
    struct.pack_into("<I", image, o + 4, SIZE - HEADERS)  # SizeOfCode
    struct.pack_into("<II", image, o + 16, HEADERS, HEADERS)  # entry point, BaseOfCode
    struct.pack_into("<III", image, o + 28, 0x10000, 0x80, 0x80)  # ImageBase, alignments
    struct.pack_into("<H", image, o + 40, 4)
    struct.pack_into("<H", image, o + 48, 4)
    struct.pack_into("<II", image, o + 56, SIZE, HEADERS)  # SizeOfImage, SizeOfHeaders
    struct.pack_into("<I", image, 216, checksum)
    struct.pack_into("<H", image, o + 68, 1)  # native subsystem
    struct.pack_into("<I", image, o + 92, 16)
    image[SECTION_TABLE : SECTION_TABLE + 8] = b".text\0\0\0"
    struct.pack_into("<IIII", image, SECTION_TABLE + 8, SIZE - HEADERS, HEADERS, SIZE - HEADERS, HEADERS)
    struct.pack_into("<I", image, SECTION_TABLE + 36, 0x68000020)
    seed = 0x5A17
    for i in range(HEADERS, SIZE):
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        image[i] = (seed >> 16) & 0xFF
    for table in TABLES:
        for k, name in enumerate(DEFAULT_NAMES):
            slot = name.encode("utf-16-le").ljust(32, b"\0")
            image[table + 32 * k : table + 32 * (k + 1)] = slot
    return bytes(image)


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__)
    checksum = int(argv[2], 0) if len(argv) == 3 else 0x13385
    with open(argv[1], "wb") as f:
        f.write(make_image(checksum))


if __name__ == "__main__":
    main(sys.argv)
