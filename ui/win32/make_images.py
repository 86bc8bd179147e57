#!/usr/bin/env python3
"""Draws the program's pictures: a stylised diskette, as the 34 by 35 pixel
24-bit bitmap of the progress window (progress.bmp) and as the program icon
(QEB_SUA.ico, 16, 32, 48 and 256 pixels). Run once; the outputs are committed."""

import struct
import sys
import zlib
from pathlib import Path

BODY = (0x1F, 0x4E, 0x9A)
BODY_EDGE = (0x10, 0x2C, 0x5C)
SHUTTER = (0xB8, 0xC0, 0xC8)
SLOT = (0x30, 0x38, 0x40)
LABEL = (0xF6, 0xF6, 0xF0)
LINE = (0x8A, 0xA4, 0xD0)
WHITE = (0xFF, 0xFF, 0xFF)


def diskette(u, v):
    """Colour of the point (u, v) of the unit square, or None outside the disk."""
    if not (0.04 <= u <= 0.96 and 0.04 <= v <= 0.96):
        return None
    if u + (0.96 - v) < 0.20 or (0.96 - u) + (v - 0.04) < 0.10:
        return None  # bevelled bottom-left corner and the write-protect notch
    edge = min(u - 0.04, 0.96 - u, v - 0.04, 0.96 - v) < 0.035
    if 0.30 <= u <= 0.74 and v <= 0.36:
        return SLOT if 0.56 <= u <= 0.66 and 0.10 <= v <= 0.30 else SHUTTER
    if 0.16 <= u <= 0.84 and v >= 0.50 and not edge:
        if any(abs(v - y) < 0.02 for y in (0.64, 0.74, 0.84)) and 0.22 <= u <= 0.78:
            return LINE
        return LABEL
    return BODY_EDGE if edge else BODY


def render(width, height, box, background):
    """Rows top to bottom of (r, g, b, a); the disk fills box = (x, y, size)."""
    x0, y0, size = box
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            samples = []
            for sy in (0.25, 0.75):  # 2 x 2 supersampling smooths the bevels
                for sx in (0.25, 0.75):
                    colour = diskette((x + sx - x0) / size, (y + sy - y0) / size)
                    samples.append(colour)
            inside = [c for c in samples if c is not None]
            if not inside:
                row.append(background)
                continue
            rgb = tuple(sum(c[i] for c in inside) // len(inside) for i in range(3))
            alpha = 255 * len(inside) // len(samples)
            if background[3] == 255:  # blend on an opaque background
                rgb = tuple((rgb[i] * alpha + background[i] * (255 - alpha)) // 255 for i in range(3))
                alpha = 255
            row.append(rgb + (alpha,))
        rows.append(row)
    return rows


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(
        bytes(c for p in row for c in (p[2], p[1], p[0])).ljust(stride, b"\0") for row in reversed(rows)
    )
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def icon_bmp(rows):
    """An icon image in BMP form: 32-bit BGRA bottom-up plus a 1-bit AND mask."""
    size = len(rows)
    xor = b"".join(bytes(c for p in row for c in (p[2], p[1], p[0], p[3])) for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def icon_png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(sizes):
    images = []
    for size in sizes:
        rows = render(size, size, (0, 0, size), (0, 0, 0, 0))
        images.append((size, icon_png(rows) if size >= 256 else icon_bmp(rows)))
    offset = 6 + 16 * len(images)
    directory, data = b"", b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return struct.pack("<HHH", 0, 1, len(images)) + directory + data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    # The picture box is 31 by 40 pixels at 96 dpi: the disk stays inside its width.
    (out / "progress.bmp").write_bytes(bmp24(render(34, 35, (1, 3, 29), WHITE + (255,))))
    (out / "QEB_SUA.ico").write_bytes(ico([16, 32, 48, 256]))


if __name__ == "__main__":
    main()
