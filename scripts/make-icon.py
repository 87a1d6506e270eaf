#!/usr/bin/env python3
"""Draws the program's icon, a data wand reading a button, in the 16-colour palette.

Writes res/icons/korvanta.ico (32x32 and 16x16, 4 bits per pixel) and one PNG per size.
Run it again after changing the drawing; the outputs are committed.
"""
import math
import struct
import zlib
from pathlib import Path

PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, GRAY, LIME, BLUE, WHITE = 0, 4, 7, 8, 10, 12, 15
TRANSPARENT = None


def segment_distance(p, a, b, half_width):
    ax, ay = a
    bx, by = b
    px, py = p
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) - half_width


def disc_distance(p, centre, radius):
    return math.hypot(p[0] - centre[0], p[1] - centre[1]) - radius


# Shapes from bottom to top: (signed distance, fill colour, highlight test or None).
SHAPES = [
    # the button the wand reads: a steel disc with a bright rim
    (lambda p: disc_distance(p, (0.78, 0.78), 0.19), GRAY,
     lambda p: disc_distance(p, (0.78, 0.78), 0.19) > -0.07 and p[0] + p[1] < 1.52),
    # the wand's body, held at the upper left
    (lambda p: segment_distance(p, (0.16, 0.16), (0.58, 0.58), 0.13), NAVY,
     lambda p: (p[0] - p[1]) > 0.07),
    # the reading head at its tip
    (lambda p: segment_distance(p, (0.58, 0.58), (0.70, 0.70), 0.07), SILVER, None),
    # the status lamp
    (lambda p: disc_distance(p, (0.31, 0.31), 0.08), LIME, None),
]


# At 16 pixels outlines would swallow the shapes, so the small image is drawn by hand.
SMALL = [
    "................",
    ".KK.............",
    "KNBK............",
    "KNNBK...........",
    ".KLNBK..........",
    "..KNNBK.........",
    "...KNNBK........",
    "....KNNBK.......",
    ".....KNNBK......",
    "......KNNK......",
    ".......KSSK.....",
    "........KSKKKK..",
    ".........KWWGGK.",
    "........KGWGGGGK",
    "........KGGGGGGK",
    ".........KKKKKK.",
]
SMALL_COLOURS = {".": TRANSPARENT, "K": BLACK, "N": NAVY, "B": BLUE, "L": LIME, "S": SILVER,
                 "G": GRAY, "W": WHITE}


def draw(size):
    if size == len(SMALL):
        return [[SMALL_COLOURS[c] for c in row] for row in SMALL]
    outline = 1.0 / size
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            p = ((x + 0.5) / size, (y + 0.5) / size)
            colour = TRANSPARENT
            for distance, fill, highlight in SHAPES:
                d = distance(p)
                if d < 0:
                    if d > -outline:
                        colour = BLACK
                    elif highlight is not None and highlight(p):
                        colour = BLUE if fill == NAVY else SILVER if fill == GRAY else WHITE
                    else:
                        colour = fill
            row.append(colour)
        pixels.append(row)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(
        b"\x00" + b"".join(
            bytes(PALETTE[c]) + b"\xff" if c is not None else b"\x00\x00\x00\x00" for c in row)
        for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_image(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour_rows = []
    mask_rows = []
    for row in reversed(pixels):
        nibbles = [0 if c is None else c for c in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        colour_rows.append(packed + b"\x00" * (-len(packed) % 4))
        bits = 0
        mask = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        mask_rows.append(bytes(mask) + b"\x00" * (-len(mask) % 4))
    return header + palette + b"".join(colour_rows) + b"".join(mask_rows)


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    data = b""
    for pixels in images:
        image = ico_image(pixels)
        size = len(pixels)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    return directory + entries + data


def main():
    out = Path(__file__).resolve().parent.parent / "res" / "icons"
    out.mkdir(parents=True, exist_ok=True)
    images = [draw(32), draw(16)]
    for pixels in images:
        (out / f"korvanta-{len(pixels)}.png").write_bytes(png(pixels))
    (out / "korvanta.ico").write_bytes(ico(images))


if __name__ == "__main__":
    main()
