#!/usr/bin/env python3
"""Write MAINICON as a .ico from the pixel design in mainicon.txt.

usage: make_icon.py DESIGN.txt OUT.ico

Each size is the design scaled by a whole factor, stored as a 32-bit
BGRA DIB with an AND mask (older shells still read the mask).  Nothing
in the output depends on the time or the machine, so builds repeat.
"""
import struct
import sys

SIZES = (16, 32, 48)


def read_design(path):
    palette = {}
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("= "):
                parts = line.split()
                if len(parts) != 3 or len(parts[1]) != 1 or len(parts[2]) != 8:
                    sys.exit(f"{path}:{number}: bad palette line")
                rgba = bytes.fromhex(parts[2])
                palette[parts[1]] = rgba
                continue
            rows.append((number, line))
    if not rows:
        sys.exit(f"{path}: no pixel rows")
    size = len(rows)
    for number, row in rows:
        if len(row) != size:
            sys.exit(f"{path}:{number}: row is {len(row)} wide, design is {size} high")
        for ch in row:
            if ch not in palette:
                sys.exit(f"{path}:{number}: '{ch}' is not in the palette")
    return [[palette[ch] for ch in row] for _, row in rows]


def scale(pixels, size):
    base = len(pixels)
    if size % base:
        sys.exit(f"{size} is not a whole multiple of the {base}-pixel design")
    k = size // base
    return [[pixels[y // k][x // k] for x in range(size)] for y in range(size)]


def dib(pixels):
    size = len(pixels)
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    # DIB rows run bottom-up.
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico(images):
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
        blobs.append(data)
    for data in blobs:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: make_icon.py DESIGN.txt OUT.ico")
    design = read_design(argv[1])
    data = ico([(s, dib(scale(design, s))) for s in SIZES])
    with open(argv[2], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
