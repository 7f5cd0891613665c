#!/usr/bin/env python3
"""Draws the program's pictures: the icons 2 to 5, the tree's bitmaps 10 to
46, the queue-manager list pane's 47 to 52, the menu bitmaps 501 to 590 and the toolbar pictures (20000 plus the
command), as .ico and .bmp files, and the
resource script fragments that name them (images.rc; toolbar.rc the toolbar
pictures alone).  Run by the build:

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


# ---- toolbar pictures ------------------------------------------------------

# A 3 by 5 pixel font for the few characters the toolbar pictures carry.
TINY = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "011", "001", "111"],
    "A": ["010", "101", "111", "101", "101"],
    "F": ["111", "100", "110", "100", "100"],
    "x": ["000", "101", "010", "101", "000"],
    "b": ["100", "100", "110", "101", "110"],
    "c": ["000", "011", "100", "100", "011"],
}


def tiny(c, x, y, text, colour):
    for ch in text:
        for dy, row in enumerate(TINY[ch]):
            for dx, bit in enumerate(row):
                if bit == "1":
                    c.put(x + dx, y + dy, colour)
        x += 4


def page(c, x0, y0, x1, y1, lines=True):
    """A sheet of paper with text lines."""
    c.rect(x0, y0, x1, y1, WHITE)
    c.frame(x0, y0, x1, y1, DARK)
    if lines:
        for y in range(y0 + 2, y1 - 1, 2):
            c.line(x0 + 2, y, x1 - 2, y, GREY)


def arrow(c, x0, x1, y, colour, head=3):
    """A horizontal arrow from x0 to x1 (its head at x1)."""
    c.line(x0, y, x1, y, colour)
    c.line(x0, y + 1, x1, y + 1, colour)
    step = 1 if x1 > x0 else -1
    for i in range(head + 1):
        c.line(x1 - step * i, y - i, x1 - step * i, y + 1 + i, colour)


def curved(c, right, colour):
    """Undo (to the left) or redo (to the right): a hook with an arrow head."""
    c.ring(8, 9, 5, colour)
    c.ring(8, 9, 4, colour)
    c.rect(2, 10, 14, 15, None)
    tip = 12 if right else 3
    for i in range(4):
        c.line(tip - i, 6 + i, tip + i, 6 + i, colour)
    return c


def funnel(c, colour):
    for y in range(2, 8):
        c.line(1 + (y - 2), y, 14 - (y - 2), y, colour)
    c.rect(6, 8, 9, 14, colour)


def toolbar_picture(command):
    """The 16 by 16 picture of a command's toolbar button, or None."""
    c = Canvas(16)
    if command == 1:                               # Refresh
        c.ring(8, 8, 6, GREEN)
        c.ring(8, 8, 5, GREEN)
        c.rect(9, 1, 15, 6, None)
        for i in range(4):
            c.line(9 + i, 1 + i, 9 + i, 7 - i, GREEN)
    elif command in (551, 918):                    # Save to File
        c.rect(1, 1, 14, 14, BLUE)
        c.rect(4, 1, 11, 6, WHITE)
        c.rect(4, 9, 11, 14, LIGHT)
        c.rect(9, 2, 10, 5, BLUE)
        if command == 918:
            c.line(5, 11, 10, 11, DARK)
    elif command == 562:                           # Previous
        arrow(c, 13, 2, 7, BLUE, 4)
    elif command == 563:                           # Next Position
        arrow(c, 2, 13, 7, BLUE, 4)
    elif command == 568:                           # Hex
        page(c, 1, 1, 14, 14, False)
        tiny(c, 3, 5, "0F", BLUE)
    elif command == 569:                           # Formatted
        page(c, 1, 1, 14, 14, False)
        for i, (x, col) in enumerate([(3, BLUE), (5, GREEN), (5, GREEN), (3, BLUE), (5, GREEN)]):
            c.line(x, 3 + 2 * i, 12, 3 + 2 * i, col)
    elif command in (570, 571, 572):               # Detail 1 to 3
        page(c, 1, 1, 14, 14, False)
        tiny(c, 4, 3, "123"[command - 570], RED)
        for y in (10, 12):
            c.line(3, y, 12, y, GREY)
    elif command == 573:                           # Descriptor
        c.rect(1, 3, 14, 12, YELLOW)
        c.frame(1, 3, 14, 12, ORANGE)
        c.disc(4, 7, 1, WHITE)
        c.line(7, 6, 12, 6, DARK)
        c.line(7, 9, 12, 9, DARK)
    elif command == 609:                           # Offsets
        page(c, 1, 1, 14, 14, False)
        for y in (3, 7, 11):
            tiny(c, 3, y - 1, "0", TEAL)
            c.line(7, y + 1, 12, y + 1, GREY)
    elif command == 640:                           # Characters
        page(c, 1, 1, 14, 14, False)
        tiny(c, 3, 5, "Ab", DARK)
    elif command == 888:                           # Whole Message
        c.rect(1, 3, 14, 12, WHITE)
        c.frame(1, 3, 14, 12, BLUE)
        c.line(1, 3, 8, 8, BLUE)
        c.line(14, 3, 8, 8, BLUE)
    elif command in (894, 895):                    # Undo, Redo
        curved(c, command == 895, PURPLE if command == 894 else TEAL)
    elif command == 896:                           # Copy
        page(c, 1, 1, 9, 10)
        page(c, 6, 5, 14, 14)
    elif command == 897:                           # Cut
        c.ring(4, 12, 2, RED)
        c.ring(11, 12, 2, RED)
        c.line(5, 10, 11, 1, DARK)
        c.line(10, 10, 4, 1, DARK)
    elif command in (898, 899):                    # Paste, Paste All
        c.rect(2, 2, 12, 14, ORANGE)
        c.rect(5, 1, 9, 3, DARK)
        page(c, 6, 6, 14, 15, command == 898)
        if command == 899:
            tiny(c, 8, 8, "A", BLUE)
    elif command == 900:                           # Find and Replace
        c.ring(6, 6, 4, DARK)
        c.ring(6, 6, 3, DARK)
        c.disc(6, 6, 2, WHITE)
        for i in range(5):
            c.line(9 + i, 10 + i, 10 + i, 9 + i, DARK)
    elif command == 904:                           # Edit
        for i in range(9):
            c.line(4 + i, 11 - i, 5 + i, 12 - i, YELLOW)
            c.put(6 + i, 12 - i, ORANGE)
        c.line(2, 14, 4, 12, DARK)
        c.put(2, 13, DARK)
    elif command in (905, 906):                    # Set Mark, Go to Mark
        c.line(4, 1, 4, 14, DARK)
        c.rect(5, 2, 12, 7, RED)
        if command == 906:
            arrow(c, 7, 14, 11, BLUE, 2)
    elif command == 920:                           # Apply Format
        page(c, 1, 1, 14, 14, False)
        tiny(c, 3, 3, "F", PURPLE)
        c.line(8, 10, 10, 12, GREEN)
        c.line(10, 12, 13, 6, GREEN)
    elif command == 921:                           # Generic String
        page(c, 1, 1, 14, 14, False)
        c.rect(3, 3, 3, 5, DARK)
        c.rect(5, 3, 5, 5, DARK)
        tiny(c, 3, 8, "bc", DARK)
    elif command == 6004:                          # Repeat
        c.ring(6, 8, 5, BLUE)
        tiny(c, 9, 9, "x", RED)
        c.rect(11, 9, 15, 15, None)
        tiny(c, 10, 10, "2", RED)
    elif command == 501:                           # Show Buttons
        for x in (1, 9):
            c.rect(x, 5, x + 5, 10, LIGHT)
            c.frame(x, 5, x + 5, 10, DARK)
    elif command == 754:                           # Show Toolbar
        c.rect(0, 4, 15, 11, LIGHT)
        c.frame(0, 4, 15, 11, GREY)
        for x in (2, 7, 12):
            c.rect(x, 6, x + 2, 9, BLUE)
    elif command == 502:                           # Show Fields
        for y in (2, 7, 12):
            c.line(1, y + 1, 5, y + 1, DARK)
            c.rect(7, y, 14, y + 3, WHITE)
            c.frame(7, y, 14, y + 3, GREY)
    elif command == 503:                           # Show Filter
        funnel(c, TEAL)
    elif command == 961:                           # Show Column Filter
        c.frame(1, 1, 14, 14, GREY)
        c.line(5, 1, 5, 14, GREY)
        c.line(10, 1, 10, 14, GREY)
        for y in range(3, 8):
            c.line(6 + (y - 3) // 2, y, 9 - (y - 3) // 2, y, ORANGE)
        c.rect(7, 8, 8, 12, ORANGE)
    elif command == 684:                           # Split List
        page(c, 0, 1, 7, 14)
        page(c, 8, 1, 15, 14)
    elif command == 762:                           # Reset Column Widths
        c.line(3, 1, 3, 14, DARK)
        c.line(12, 1, 12, 14, DARK)
        arrow(c, 7, 4, 7, BLUE, 2)
        arrow(c, 8, 11, 7, BLUE, 2)
    elif command == 960:                           # Remove Column Filters
        funnel(c, TEAL)
        c.line(9, 9, 14, 14, RED)
        c.line(14, 9, 9, 14, RED)
        c.line(10, 9, 15, 14, RED)
        c.line(15, 9, 10, 14, RED)
    elif command == 780:                           # Show Queue Manager List
        for y in (2, 7, 12):
            c.rect(1, y, 4, y + 2, GREEN)
            c.line(6, y + 1, 14, y + 1, DARK)
    elif command == 789:                           # Reset Queue Manager List
        for y in (2, 7):
            c.rect(1, y, 4, y + 2, GREEN)
            c.line(6, y + 1, 14, y + 1, DARK)
        arrow(c, 13, 3, 13, RED, 2)
    else:
        return None
    return c


TOOLBAR_COMMANDS = (1, 501, 502, 503, 551, 562, 563, 568, 569, 570, 571, 572, 573, 609, 640, 684, 754, 762,
                    780, 789, 888, 894, 895, 896, 897, 898, 899, 900, 904, 905, 906, 918, 920, 921, 960,
                    961, 6004)
TOOLBAR_BASE = 20000   # a toolbar picture's resource is this plus its command


def folder():
    c = Canvas(16)
    c.rect(1, 4, 6, 5, YELLOW)
    c.rect(1, 5, 14, 13, YELLOW)
    c.frame(1, 5, 14, 13, ORANGE)
    return c


def check_box(tick=None):
    """The queue-manager list pane's selection mark: a box, ticked or not."""
    c = Canvas(16)
    c.rect(2, 2, 13, 13, WHITE)
    c.frame(2, 2, 13, 13, DARK)
    if tick:
        for d in range(2):
            c.line(4, 7 + d, 6, 9 + d, tick)
            c.line(6, 9 + d, 11, 4 + d, tick)
    return c


def qm_state(kind):
    """The queue-manager list pane's state of a list: none yet, one, or a
    queue manager that does not answer."""
    c = Canvas(16)
    if kind == "silent":
        c.disc(8, 8, 6, RED)
        c.line(5, 5, 10, 10, WHITE)
        c.line(10, 5, 5, 10, WHITE)
        c.line(6, 5, 11, 10, WHITE)
        c.line(11, 5, 6, 10, WHITE)
    else:
        page(c, 3, 1, 12, 14, lines=kind == "list")
        if kind == "none":
            c.frame(3, 1, 12, 14, GREY)
    return c


def tree_bitmaps():
    """Bitmaps 10 to 52: location states, download states, expanders, the
    queue pictures at their indexes (bitmap 10 + index), and the
    queue-manager list pane's marks and states."""
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
    b[47] = check_box(BLACK)
    b[48] = check_box(GREEN)
    b[49] = check_box()
    b[50] = qm_state("silent")
    b[51] = qm_state("none")
    b[52] = qm_state("list")
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
    toolbar = ["/* Drawn by scripts/gen_resources.py: the toolbar pictures. */"]
    for command in TOOLBAR_COMMANDS:
        number = TOOLBAR_BASE + command
        write("bmp%d.bmp" % number, bmp_bytes(toolbar_picture(command)))
        toolbar.append('%d BITMAP "bmp%d.bmp"' % (number, number))
    lines += toolbar[1:]
    write("images.rc", ("\n".join(lines) + "\n").encode())
    # the toolbar pictures alone, for the windows tested without the shell
    write("toolbar.rc", ("\n".join(toolbar) + "\n").encode())


if __name__ == "__main__":
    main()
