#!/usr/bin/env python3
"""Draws the program's pictures: the icons 2 to 5, the tree's bitmaps 10 to
46 and the menu bitmaps 501 to 590, as .ico and .bmp files, and the
resource script fragment that names them (images.rc).  Run by the build:

    gen_resources.py <output folder>

Every picture is drawn here from simple shapes; nothing comes from
outside.  A bitmap's top-left pixel is its transparent colour."""

import os
import struct
import sys

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
DARK = (64, 64, 64)
RED = (200, 30, 30)
GREEN = (30, 150, 40)
BLUE = (30, 70, 200)
YELLOW = (230, 190, 20)
PURPLE = (130, 50, 160)
TEAL = (20, 140, 140)
ORANGE = (230, 120, 20)


class Canvas:
    """A square of pixels, (r, g, b) or None for transparent."""

    def __init__(self, size, fill=None):
        self.size = size
        self.px = [[fill] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(self.size):
            for x in range(self.size):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    def ring(self, cx, cy, r, c):
        for y in range(self.size):
            for x in range(self.size):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if (r - 1) ** 2 <= d <= r * r:
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)


def bmp_bytes(canvas, transparent=MAGENTA):
    """A 24-bit bottom-up BMP; transparent pixels take the key colour."""
    s = canvas.size
    row = (s * 3 + 3) & ~3
    data = bytearray()
    for y in range(s - 1, -1, -1):
        line = bytearray()
        for x in range(s):
            r, g, b = canvas.px[y][x] or transparent
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, s, s, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def ico_bytes(canvases):
    """An icon of 32-bit images with their AND masks."""
    images = []
    for c in canvases:
        s = c.size
        xor = bytearray()
        mask_row = ((s + 31) // 32) * 4
        mask = bytearray()
        for y in range(s - 1, -1, -1):
            bits = 0
            mrow = bytearray(mask_row)
            for x in range(s):
                p = c.px[y][x]
                if p is None:
                    xor += b"\0\0\0\0"
                    mrow[x // 8] |= 0x80 >> (x % 8)
                else:
                    xor += bytes((p[2], p[1], p[0], 255))
            mask += mrow
        info = struct.pack("<IiiHHIIiiII", 40, s, s * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((s, info + bytes(xor) + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, blob in images:
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in images:
        out += blob
    return out


# ---- the pictures ----------------------------------------------------------

def program_icon(size, badge=None, colour=BLUE):
    """Three stacked message envelopes; a badge colour in the corner."""
    c = Canvas(size)
    k = size / 32
    for i in range(3):
        x0, y0 = int((3 + i * 4) * k), int((4 + i * 7) * k)
        x1, y1 = int((26 + i * 4) * k) - 1, int((14 + i * 7) * k)
        c.rect(x0, y0, min(x1, size - 1), y1, WHITE)
        c.frame(x0, y0, min(x1, size - 1), y1, colour)
        c.line(x0, y0, (x0 + min(x1, size - 1)) // 2, (y0 + y1) // 2, colour)
        c.line(min(x1, size - 1), y0, (x0 + min(x1, size - 1)) // 2, (y0 + y1) // 2, colour)
    if badge:
        r = max(2, int(6 * k))
        c.disc(size - r - 1, size - r - 1, r, badge)
    return c


def monitor(colour):
    c = Canvas(16)
    c.rect(1, 2, 14, 11, DARK)
    c.rect(2, 3, 13, 10, colour)
    c.rect(6, 12, 9, 13, DARK)
    c.rect(4, 14, 11, 14, DARK)
    return c


def queue_icon(colour, level=None, mark=None):
    """A queue: a box of slots, filled up to a level (0 to 5)."""
    c = Canvas(16)
    c.frame(2, 1, 13, 14, DARK)
    c.rect(3, 2, 12, 13, WHITE)
    if level is not None:
        for i in range(level):
            c.rect(4, 12 - i * 2, 11, 12 - i * 2, colour)
    else:
        c.rect(4, 4, 11, 11, colour)
    if mark == "alias":
        c.line(4, 11, 11, 4, BLACK)
    elif mark == "remote":
        c.disc(8, 8, 3, BLACK)
    elif mark == "model":
        c.frame(5, 5, 10, 10, BLACK)
    elif mark == "cluster":
        c.ring(12, 3, 3, PURPLE)
    return c


def download(kind):
    c = Canvas(16)
    if kind == "none":
        c.ring(8, 8, 6, GREY)
    elif kind == "loading":
        c.line(4, 2, 12, 2, DARK)
        c.line(4, 13, 12, 13, DARK)
        c.line(4, 2, 12, 13, YELLOW)
        c.line(12, 2, 4, 13, YELLOW)
    elif kind == "idle":
        c.disc(8, 8, 6, LIGHT)
        c.ring(8, 8, 6, GREY)
    else:
        c.line(8, 2, 8, 11, GREEN)
        c.line(4, 8, 8, 12, GREEN)
        c.line(12, 8, 8, 12, GREEN)
        c.line(3, 14, 13, 14, GREEN)
    return c


def expander(open_, pressed=False):
    c = Canvas(16)
    c.rect(3, 3, 12, 12, LIGHT if pressed else WHITE)
    c.frame(3, 3, 12, 12, GREY)
    c.line(5, 8, 10, 8, BLACK)
    if not open_:
        c.line(8, 5, 8, 10, BLACK)
    return c


def glyph(n):
    """A menu picture: one of a few shapes in one of a few colours."""
    c = Canvas(16)
    colours = [BLUE, GREEN, RED, TEAL, ORANGE, PURPLE, DARK, YELLOW]
    col = colours[n % len(colours)]
    shape = (n // len(colours)) % 6
    if shape == 0:
        c.rect(3, 3, 12, 12, col)
    elif shape == 1:
        c.disc(8, 8, 5, col)
    elif shape == 2:
        for y in range(3, 13):
            c.line(8 - (y - 3) // 2, y, 8 + (y - 3) // 2, y, col)
    elif shape == 3:
        c.frame(2, 2, 13, 13, col)
        c.rect(5, 5, 10, 10, col)
    elif shape == 4:
        c.line(2, 2, 13, 13, col)
        c.line(13, 2, 2, 13, col)
        c.line(3, 2, 13, 12, col)
        c.line(12, 2, 2, 12, col)
    else:
        c.rect(2, 6, 13, 9, col)
        c.rect(6, 2, 9, 13, col)
    return c


def folder():
    c = Canvas(16)
    c.rect(1, 4, 6, 5, YELLOW)
    c.rect(1, 5, 14, 13, YELLOW)
    c.frame(1, 5, 14, 13, ORANGE)
    return c


def tree_bitmaps():
    """Bitmaps 10 to 46: location states, download states, expanders, and
    the queue pictures at their indexes (bitmap 10 + index)."""
    b = {}
    for i in range(10, 47):
        b[i] = glyph(i)
    b[10] = monitor(LIGHT)
    b[11] = monitor(GREEN)
    b[12] = monitor(RED)
    b[41] = monitor(PURPLE)
    b[13] = download("none")
    b[14] = download("loading")
    b[15] = download("idle")
    b[16] = download("done")
    b[17] = expander(False)
    b[18] = expander(True)
    b[19] = expander(False, True)
    b[21] = folder()
    b[10 + 12] = queue_icon(GREY, mark="model")
    b[10 + 13] = queue_icon(TEAL, mark="alias")
    b[10 + 14] = queue_icon(ORANGE, mark="remote")
    b[10 + 15] = queue_icon(BLUE)
    for cls, index in enumerate([36, 16, 17, 18, 19, 20]):
        b[10 + index] = queue_icon(BLUE if cls < 4 else RED, level=cls)
    b[10 + 25] = queue_icon(TEAL, mark="cluster")
    b[10 + 26] = queue_icon(ORANGE, mark="cluster")
    b[10 + 27] = queue_icon(BLUE, mark="cluster")
    return b


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = ["/* Drawn by scripts/gen_resources.py: the program's pictures. */"]

    def write(name, blob):
        path = os.path.join(out, name)
        old = open(path, "rb").read() if os.path.exists(path) else None
        if old != blob:
            with open(path, "wb") as f:
                f.write(blob)

    icons = {
        2: (None, BLUE),
        3: (None, TEAL),
        4: (RED, BLUE),
        5: (GREEN, BLUE),
    }
    for number, (badge, colour) in icons.items():
        write("icon%d.ico" % number,
              ico_bytes([program_icon(32, badge, colour), program_icon(16, badge, colour)]))
        lines.append('%d ICON "icon%d.ico"' % (number, number))
    for number, canvas in tree_bitmaps().items():
        write("bmp%d.bmp" % number, bmp_bytes(canvas))
        lines.append('%d BITMAP "bmp%d.bmp"' % (number, number))
    for number in range(501, 591):
        canvas = folder() if number == 501 else glyph(number)
        write("bmp%d.bmp" % number, bmp_bytes(canvas))
        lines.append('%d BITMAP "bmp%d.bmp"' % (number, number))
    write("images.rc", ("\n".join(lines) + "\n").encode())


if __name__ == "__main__":
    main()
