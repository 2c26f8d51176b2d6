#!/usr/bin/env python3
"""Draws the seven submission state icons (18 x 18 PNG) of the state grid.

Each icon is a coloured disc with a dark rim and a white sign, so it reads on
light and dark palettes alike. Shapes are described in a 0..18 square and
sampled 8 x 8 times per pixel. Run from this folder to redraw the files.
"""
import math
import struct
import zlib

SIZE = 18
SAMPLES = 8
CENTRE = 9.0
RADIUS = 8.4
RIM = 1.1
WHITE = (255, 255, 255)
RIM_COLOUR = (27, 27, 27)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def strokes(points, width):
    """A polyline drawn with round ends."""
    def inside(x, y):
        return any(segment_distance(x, y, *points[i], *points[i + 1]) <= width / 2
                   for i in range(len(points) - 1))
    return inside


def polygon(points):
    def inside(x, y):
        crossings = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                crossings = not crossings
        return crossings
    return inside


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def arc(cx, cy, r, width, start, end):
    """A circular arc, angles in degrees, clockwise on screen from start to end."""
    def inside(x, y):
        if abs(math.hypot(x - cx, y - cy) - r) > width / 2:
            return False
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (angle - start) % 360 <= (end - start) % 360
    return inside


def heart(x, y):
    u, v = (x - CENTRE) / 5.2, (CENTRE + 1.2 - y) / 5.2
    return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


ICONS = {
    "ready-to-upload": ((31, 111, 209), union(strokes([(9, 13.5), (9, 5)], 2.2),
                                              strokes([(5.3, 8.6), (9, 4.9), (12.7, 8.6)], 2.2))),
    "pending": ((212, 138, 0), union(strokes([(9, 9), (9, 4.6)], 1.9),
                                     strokes([(9, 9), (12.4, 11)], 1.9))),
    "upload-failed": ((212, 58, 31), union(strokes([(9, 4.2), (9, 10.2)], 2.3), disc(9, 13.6, 1.35))),
    "rejected": ((142, 27, 27), union(strokes([(6, 6), (12, 12)], 2.2), strokes([(12, 6), (6, 12)], 2.2))),
    "accepted": ((46, 154, 58), strokes([(5, 9.4), (7.8, 12.2), (13, 6)], 2.2)),
    "resubmit": ((122, 63, 184), union(arc(9, 9, 4.3, 1.9, 300, 200),
                                       polygon([(9.6, 1.9), (14.2, 4.5), (10.0, 7.4)]))),
    "donated": ((21, 143, 143), heart),
}


def pixel(colour, sign, px, py):
    totals = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
            distance = math.hypot(x - CENTRE, y - CENTRE)
            if distance > RADIUS:
                continue
            if sign(x, y):
                rgb = WHITE
            elif distance > RADIUS - RIM:
                rgb = RIM_COLOUR
            else:
                rgb = colour
            for i in range(3):
                totals[i] += rgb[i]
            totals[3] += 1
    if totals[3] == 0:
        return (0, 0, 0, 0)
    coverage = totals[3] / (SAMPLES * SAMPLES)
    return tuple(round(totals[i] / totals[3]) for i in range(3)) + (round(255 * coverage),)


def png(pixels):
    raw = b"".join(b"\0" + bytes(sum((pixels[y][x] for x in range(SIZE)), ())) for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


for name, (colour, sign) in ICONS.items():
    pixels = [[pixel(colour, sign, x, y) for x in range(SIZE)] for y in range(SIZE)]
    with open(name + ".png", "wb") as out:
        out.write(png(pixels))
