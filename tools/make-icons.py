#!/usr/bin/env python3
"""Draws the program's icon: the scalable SVG and the PNG sizes of the hicolor theme, from one geometry.

Run from anywhere; writes share/icons/kivran.svg and share/icons/kivran-<size>.png. Needs only Python 3.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "share", "icons")

# Shapes on a 64 x 64 canvas, painted in order: (x, y, width, height, corner radius, RGBA).
BACKGROUND = (2, 2, 60, 60, 10, (0x1E, 0x3A, 0x5F, 0xFF))
ADDRESS = (8, 10, 10, 44, 2, (0x3F, 0x6E, 0x9E, 0xFF))
CELL = (0xE8, 0xEE, 0xF4, 0xFF)
CURSOR = (0xF2, 0x8C, 0x28, 0xFF)


def shapes():
    items = [BACKGROUND, ADDRESS]
    for row in range(4):
        for col in range(4):
            colour = CURSOR if (row, col) == (1, 2) else CELL
            items.append((22 + col * 9, 10 + row * 12, 7, 8, 1.5, colour))
    return items


def inside(px, py, shape):
    x, y, w, h, r, _ = shape
    if px < x or py < y or px > x + w or py > y + h:
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def render(size, samples=4):
    scale = 64.0 / size
    items = shapes()
    rows = []
    for j in range(size):
        row = bytearray()
        for i in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(samples):
                for si in range(samples):
                    px = (i + (si + 0.5) / samples) * scale
                    py = (j + (sj + 0.5) / samples) * scale
                    colour = None
                    for shape in items:
                        if inside(px, py, shape):
                            colour = shape[5]
                    if colour:
                        a = colour[3] / 255.0
                        acc[0] += colour[0] * a
                        acc[1] += colour[1] * a
                        acc[2] += colour[2] * a
                        acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha > 0:
                pixel = [round(acc[k] / acc[3]) for k in range(3)] + [round(alpha * 255)]
            else:
                pixel = [0, 0, 0, 0]
            row.extend(pixel)
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_svg(path):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">',
             '  <title>KIVRAN</title>']
    for x, y, w, h, r, (cr, cg, cb, _) in shapes():
        lines.append('  <rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="#%02x%02x%02x"/>'
                     % (x, y, w, h, r, cr, cg, cb))
    lines.append('</svg>')
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def main():
    os.makedirs(OUT, exist_ok=True)
    write_svg(os.path.join(OUT, "kivran.svg"))
    for size in (16, 32, 48, 64, 128, 256):
        write_png(os.path.join(OUT, "kivran-%d.png" % size), size, render(size))


if __name__ == "__main__":
    main()
