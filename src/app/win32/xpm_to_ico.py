#!/usr/bin/env python3
"""Makes the program's .ico from the window icon's XPM images.

    xpm_to_ico.py OUT.ico IN.xpm...

Each image becomes one 32-bit entry (colours with alpha, plus the AND mask
that older Windows versions draw with); "None" is transparent.
"""
import re
import struct
import sys


def read_xpm(path):
    with open(path, encoding="ascii") as f:
        strings = re.findall(r'"((?:[^"\\]|\\.)*)"', f.read())
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colors = {}
    for line in strings[1 : 1 + ncolors]:
        key, rest = line[:cpp], line[cpp:].split()
        value = rest[rest.index("c") + 1]
        if value.lower() == "none":
            colors[key] = None
        elif value.startswith("#") and len(value) == 7:
            colors[key] = tuple(int(value[i : i + 2], 16) for i in (1, 3, 5))
        else:
            raise SystemExit(f"{path}: colour {value!r} is not #rrggbb or None")
    rows = strings[1 + ncolors : 1 + ncolors + height]
    if len(rows) != height:
        raise SystemExit(f"{path}: {len(rows)} rows, {height} expected")
    pixels = [[colors[row[x * cpp : (x + 1) * cpp]] for x in range(width)] for row in rows]
    return width, height, pixels


def bitmap_entry(width, height, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for row in reversed(pixels):  # bottom-up
        bits = bytearray(mask_stride)
        for x, rgb in enumerate(row):
            if rgb is None:
                colour += b"\0\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((rgb[2], rgb[1], rgb[0], 255))
        mask += bits
    return header + bytes(colour) + bytes(mask)


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    images = [read_xpm(p) for p in argv[2:]]
    entries = [bitmap_entry(*image) for image in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for (width, height, _), data in zip(images, entries):
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(argv[1], "wb") as f:
        f.write(out + b"".join(entries))


if __name__ == "__main__":
    main(sys.argv)
