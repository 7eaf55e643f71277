#!/usr/bin/env python3
"""Makes the Windows icon file from the program's icon: make_ico.py <icon.png> <out.ico>

The icon is a 256-pixel RGBA PNG (resources/icon.png, from tools/artwork). The .ico holds it at
256, 128, 64, 32 and 16 pixels (Windows scales the nearest larger one for the sizes between),
each entry a PNG, as every Windows since Vista reads them. The smaller ones are box-filtered with
premultiplied alpha, so the transparent corners do not darken the edge.
"""
import struct
import sys
import zlib

SIZES = (256, 128, 64, 32, 16)


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f"{path}: expected 8-bit RGBA without interlacing")
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if kind == 1:
                row[i] = (row[i] + a) & 0xFF
            elif kind == 2:
                row[i] = (row[i] + b) & 0xFF
            elif kind == 3:
                row[i] = (row[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                row[i] = (row[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
            elif kind != 0:
                sys.exit(f"{path}: unknown PNG filter {kind}")
        rows.append(row)
        prev = row
    return width, height, rows


def shrink(size, rows, factor):
    out = []
    n = factor * factor
    for y in range(size):
        row = bytearray(size * 4)
        for x in range(size):
            r = g = b = a = 0
            for sy in range(y * factor, (y + 1) * factor):
                src = rows[sy]
                for sx in range(x * factor, (x + 1) * factor):
                    pa = src[sx * 4 + 3]
                    r += src[sx * 4] * pa
                    g += src[sx * 4 + 1] * pa
                    b += src[sx * 4 + 2] * pa
                    a += pa
            if a:
                row[x * 4:x * 4 + 4] = bytes((r // a, g // a, b // a, (a + n // 2) // n))
        out.append(row)
    return out


def write_png(size, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_ico.py <icon.png> <out.ico>")
    width, height, rows = read_png(sys.argv[1])
    if width != height or width % SIZES[-1]:
        sys.exit(f"{sys.argv[1]}: expected a square icon of a multiple of {SIZES[-1]} pixels")
    original = open(sys.argv[1], "rb").read()
    images = [(size, original if size == width else write_png(size, shrink(size, rows, width // size)))
              for size in SIZES if size <= width]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, png in images:
        # a width or height of 0 stands for 256
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
        blobs += png
    with open(sys.argv[2], "wb") as out:
        out.write(header + entries + blobs)


if __name__ == "__main__":
    main()
