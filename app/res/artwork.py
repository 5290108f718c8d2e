#!/usr/bin/env python3
"""Tambrel's own artwork, drawn in code: the program icon (a key cap with a T on it) and the
picture of the about box. Every icon holds an image for each size that Windows asks for at
100% to 200% scaling (16, 20, 24, 32 for small icons; 32, 40, 48, 64 for large ones), so none
is stretched. Writes .ico and .bmp files.
Usage: artwork.py OUTPUT_FOLDER [plugins]"""
import os
import struct
import sys

CAP = (46, 110, 181)       # key cap
CAP_EDGE = (24, 62, 112)
CAP_TOP = (92, 158, 222)
LETTER = (255, 255, 255)
GLOW = (120, 230, 120)     # the toggled green

SMALL_SIZES = [16, 20, 24, 32]   # small icons at 96, 120, 144 and 192 DPI
LARGE_SIZES = [32, 40, 48, 64]   # large icons at the same
ALL_SIZES = sorted(set(SMALL_SIZES + LARGE_SIZES))


GLYPHS = {  # 5 x 5 letters for the plugins' icons
    'T': ['#####', '..#..', '..#..', '..#..', '..#..'],
    'K': ['#..#.', '#.#..', '##...', '#.#..', '#..#.'],
    'E': ['#####', '#....', '####.', '#....', '#####'],
    'W': ['#...#', '#...#', '#.#.#', '##.##', '#...#'],
    'N': ['#...#', '##..#', '#.#.#', '#..##', '#...#'],
    'S': ['.####', '#....', '.###.', '....#', '####.'],
    'A': ['.###.', '#...#', '#####', '#...#', '#...#'],
    '+': ['..#..', '..#..', '#####', '..#..', '..#..'],
}


def blank_cap(size, cap, top_colour):
    """RGBA rows of a rounded key cap, lighter in its upper half, with a dark edge."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    m = max(1, size // 16)
    r = max(2, size // 6)
    for y in range(m, size - m):
        for x in range(m, size - m):
            # Rounded corners: outside a quarter circle at each corner is transparent.
            cx = min(max(x, m + r), size - m - 1 - r)
            cy = min(max(y, m + r), size - m - 1 - r)
            if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
                continue
            edge = x in (m, size - m - 1) or y in (m, size - m - 1) or (x - cx) ** 2 + (y - cy) ** 2 > (r - 1) ** 2
            px[y][x] = (*(CAP_EDGE if edge else top_colour if y < size // 2 - m else cap), 255)
    return px


def key_cap(size, letter='T', cap=None, top_colour=None):
    """RGBA rows, top to bottom, of a rounded key cap with a letter."""
    if letter != 'T':
        return lettered_cap(size, letter, cap or CAP, top_colour or CAP_TOP)
    px = blank_cap(size, CAP, CAP_TOP)
    # The letter T, a third of the cap wide.
    stroke = max(2, size // 8)
    left, right = size // 4, size - size // 4
    top, bottom = size // 4, size - size // 4
    for y in range(top, top + stroke):
        for x in range(left, right):
            px[y][x] = (*LETTER, 255)
    mid = size // 2 - stroke // 2
    for y in range(top, bottom):
        for x in range(mid, mid + stroke):
            px[y][x] = (*LETTER, 255)
    # A green dot: the toggle.
    d = max(1, size // 10)
    for y in range(bottom - d, bottom + 1):
        for x in range(right - d, right + 1):
            if 0 <= x < size and 0 <= y < size:
                px[y][x] = (*GLOW, 255)
    return px


def lettered_cap(size, letter, cap, top_colour):
    px = blank_cap(size, cap, top_colour)
    cell = max(1, size // 8)
    origin = (size - 5 * cell) // 2
    for gy, row in enumerate(GLYPHS[letter]):
        for gx, c in enumerate(row):
            if c != '#':
                continue
            for y in range(origin + gy * cell, origin + (gy + 1) * cell):
                for x in range(origin + gx * cell, origin + (gx + 1) * cell):
                    px[y][x] = (*LETTER, 255)
    return px


def dib(px):
    """A 32-bit icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask."""
    h = len(px)
    w = len(px[0])
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((w + 31) // 32) * 4
    mask = b''
    for row in reversed(px):
        bits = 0
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + colour + mask


def write_ico(path, images):
    data = [dib(px) for px in images]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for px, blob in zip(images, data):
        n = len(px)
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(out + b''.join(data))


def write_bmp(path, px, background):
    """A 24-bit bitmap; transparent pixels take the background colour."""
    h = len(px)
    w = len(px[0])
    stride = (w * 3 + 3) & ~3
    rows = b''
    for row in reversed(px):
        line = b''.join(bytes((b, g, r)) if a else bytes(background[::-1]) for (r, g, b, a) in row)
        rows += line + b'\0' * (stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + rows)


def plugin_icons(out):
    """The plugin library's icons: one letter each; the tray's in colour and in grey."""
    grey, grey_top = (120, 120, 120), (160, 160, 160)
    icons = {
        'keyboard.ico': ('K', None, None),
        'execute.ico': ('E', (40, 130, 70), (80, 180, 110)),
        'windows.ico': ('W', (150, 60, 40), (200, 100, 70)),
        'tray-enabled.ico': ('T', None, None),
        'tray-disabled.ico': ('S', grey, grey_top),
        'notify.ico': ('N', (150, 120, 20), (210, 180, 60)),
        'typetext.ico': ('A', (110, 60, 160), (160, 110, 210)),
        'combo.ico': ('+', (20, 120, 130), (60, 175, 185)),
    }
    for name, (letter, cap, top) in icons.items():
        if name == 'tray-enabled.ico':
            write_ico(os.path.join(out, name), [key_cap(n) for n in ALL_SIZES])
        else:
            write_ico(os.path.join(out, name), [lettered_cap(n, letter, cap or CAP, top or CAP_TOP) for n in ALL_SIZES])


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    if len(sys.argv) > 2 and sys.argv[2] == 'plugins':
        plugin_icons(out)
        return
    write_ico(os.path.join(out, 'tambrel.ico'), [key_cap(n) for n in LARGE_SIZES + SMALL_SIZES[:-1]])
    write_ico(os.path.join(out, 'tambrel-small.ico'), [key_cap(n) for n in SMALL_SIZES])
    # Drawn large and shrunk to the about box's DPI (48 pixels at 100%).
    write_bmp(os.path.join(out, 'about.bmp'), key_cap(96), (212, 208, 200))


if __name__ == '__main__':
    main()
