#!/usr/bin/env python3
"""Draws the data grid's indicator and sort-mark glyphs (6 x 11 pixels, and
12 x 22 for screens at twice the density) into resources/grid/ as PNG files.
Each glyph is a set of shapes in glyph units; a pixel is painted when its
centre lies inside a shape, so both sizes stay sharp."""
import math, os, struct, zlib

W, H = 6, 11
BLACK = (0, 0, 0, 255)
DARK = (128, 128, 128, 255)
WHITE = (255, 255, 255, 255)

def inside_poly(px, py, pts):
    n, hit = len(pts), False
    for i in range(n):
        x1, y1 = pts[i]; x2, y2 = pts[(i + 1) % n]
        if (y1 > py) != (y2 > py) and px < (x2 - x1) * (py - y1) / (y2 - y1) + x1:
            hit = not hit
    return hit

def near_segment(px, py, a, b, width):
    (x1, y1), (x2, y2) = a, b
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / float(dx * dx + dy * dy)))
    return math.hypot(px - (x1 + t * dx), py - (y1 + t * dy)) <= width / 2

def render(shapes, scale):
    w, h = W * scale, H * scale
    img = [[(0, 0, 0, 0)] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            gx, gy = (x + 0.5) / scale, (y + 0.5) / scale
            for kind, colour, data in shapes:
                if kind == 'poly' and inside_poly(gx, gy, data):
                    img[y][x] = colour
                elif kind == 'line' and near_segment(gx, gy, data[0], data[1], data[2]):
                    img[y][x] = colour
                elif kind == 'disc' and math.hypot(gx - data[0], gy - data[1]) <= data[2]:
                    img[y][x] = colour
    return img

def write_png(path, img):
    h, w = len(img), len(img[0])
    raw = b''.join(b'\x00' + b''.join(struct.pack('4B', *p) for p in row) for row in img)
    def chunk(tag, data):
        c = tag + data
        return struct.pack('>I', len(data)) + c + struct.pack('>I', zlib.crc32(c) & 0xffffffff)
    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)

def outline(pts, colour, width):
    return [('line', colour, (pts[i], pts[(i + 1) % len(pts)], width)) for i in range(len(pts))]

GLYPHS = {
    'arrow': [('poly', BLACK, [(1, 1.5), (5.5, 5.5), (1, 9.5)])],
    'edit': [('line', BLACK, ((3, 1.5), (3, 9.5), 1)), ('line', BLACK, ((1.2, 1.5), (4.8, 1.5), 1)),
             ('line', BLACK, ((1.2, 9.5), (4.8, 9.5), 1))],
    'insert': [('line', BLACK, ((3, 3), (3, 8), 1)), ('line', BLACK, ((1, 4), (5, 7), 1)),
               ('line', BLACK, ((1, 7), (5, 4), 1))],
    'multidot': [('disc', BLACK, (3, 5.5, 1.6))],
    'multiarrow': outline([(0.8, 1.5), (5.3, 5.5), (0.8, 9.5)], BLACK, 0.9) + [('disc', BLACK, (2.2, 5.5, 1.0))],
    'sortdown': [('line', DARK, ((0.6, 3.2), (5.4, 3.2), 1)), ('line', DARK, ((0.6, 3.2), (3, 8), 1)),
                 ('line', WHITE, ((5.4, 3.2), (3, 8), 1))],
    'sortup': [('line', DARK, ((3, 3), (0.6, 7.8), 1)), ('line', WHITE, ((3, 3), (5.4, 7.8), 1)),
               ('line', WHITE, ((0.6, 7.8), (5.4, 7.8), 1))],
}

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'grid')
os.makedirs(out, exist_ok=True)
for name, shapes in GLYPHS.items():
    write_png(os.path.join(out, name + '.png'), render(shapes, 1))
    write_png(os.path.join(out, name + '@2x.png'), render(shapes, 2))
