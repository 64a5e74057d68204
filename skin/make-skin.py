#!/usr/bin/env python3
"""Draws the default skin: main.png (the calendar's background for cells of 23 pixels), curdate.png
(today's cell) and event.png (the marker of a day with a reminder). Standard library only; run it
again after changing a colour or a size here."""
import math
import os
import struct
import zlib

CELL = 23
# Seven cells and a small margin wide; eight cells high (month band, six weeks, reminder band) and a
# little more, so that a reminder wrapped onto a second line still fits in the reminder band.
WIDTH, HEIGHT = 7 * CELL + 7, 8 * CELL + 14


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a), straight alpha."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(bytes(pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
                chunk(b"IEND", b""))


def rounded_coverage(x, y, w, h, radius):
    """How much of pixel (x, y) lies inside a rounded rectangle (0 … 1), for soft edges."""
    cx = min(max(x + 0.5, radius), w - radius)
    cy = min(max(y + 0.5, radius), h - radius)
    distance = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
    return min(max(radius - distance + 0.5, 0.0), 1.0)


def blend(under, over):
    """over composited on under, both (r, g, b, a) with straight alpha in 0 … 255."""
    oa, ua = over[3] / 255, under[3] / 255
    a = oa + ua * (1 - oa)
    if a == 0:
        return (0, 0, 0, 0)
    rgb = [round((over[i] * oa + under[i] * ua * (1 - oa)) / a) for i in range(3)]
    return (*rgb, round(a * 255))


def main_pixel(x, y):
    # A warm, mostly opaque card: readable on dark and on light wallpapers alike.
    inside = rounded_coverage(x, y, WIDTH, HEIGHT, 9)
    inner = rounded_coverage(x - 1, y - 1, WIDTH - 2, HEIGHT - 2, 8)
    border = (92, 74, 58, 235)
    paper = (250, 246, 238, 225)
    if CELL <= y < 7 * CELL and (y - CELL) // CELL % 2 == 1:
        paper = (243, 237, 226, 225)  # every other week a shade darker, to guide the eye
    if y < CELL:
        paper = (236, 224, 204, 235)  # the month band
    if y >= 7 * CELL:
        paper = (240, 232, 218, 230)  # the reminder band
    pixel = blend((*border[:3], round(border[3] * inside)), (*paper[:3], round(paper[3] * inner)))
    return pixel


def today_pixel(x, y):
    ring = rounded_coverage(x, y, CELL, CELL, 6)
    fill = rounded_coverage(x - 2, y - 2, CELL - 4, CELL - 4, 4)
    return blend((214, 120, 40, round(220 * ring)), (255, 214, 150, round(150 * fill)))


def event_pixel(x, y):
    # A small folded-corner triangle in the cell's top-right corner, under the day number.
    size = 8
    if x >= CELL - size and y < size and (x - (CELL - size)) >= y:
        return (200, 40, 40, 230)
    return (0, 0, 0, 0)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_png(os.path.join(here, "main.png"), WIDTH, HEIGHT, main_pixel)
    write_png(os.path.join(here, "curdate.png"), CELL, CELL, today_pixel)
    write_png(os.path.join(here, "event.png"), CELL, CELL, event_pixel)
