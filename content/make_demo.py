#!/usr/bin/env python3
"""Writes the small hand-made demo world (Worlds/demo.wrl) and its one
texture (Textures/demo-tile.bmp): a walled, tiled yard with a few coloured
blocks, and the BSP section of the same geometry.

Run from this folder: python3 make_demo.py. The outputs are committed; this
script is kept so they can be made again after a change.
"""
import struct

EPS = 1e-5


def sub(a, b): return (a[0] - b[0], a[1] - b[1], a[2] - b[2])
def add(a, b): return (a[0] + b[0], a[1] + b[1], a[2] + b[2])
def mul(a, s): return (a[0] * s, a[1] * s, a[2] * s)
def dot(a, b): return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
def cross(a, b): return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    n = dot(a, a) ** 0.5
    return mul(a, 1.0 / n)


def quad(o, u, v):
    """Corners o, o+u, o+u+v, o+v: counter-clockwise seen from where u x v points."""
    return [o, add(o, u), add(add(o, u), v), add(o, v)], unit(cross(u, v))


drawn = []      # (corners, normal, colour, uv scale)
solid = []      # (corners, normal) for the BSP


def face(corners, normal, colour, collide=True, tile=1.0):
    drawn.append((corners, normal, colour, tile))
    if collide:
        solid.append((corners, normal))


def box(x0, z0, x1, z1, height, colour):
    sx, sz = x1 - x0, z1 - z0
    shade = lambda k: tuple(c * k for c in colour)
    face(*quad((x0, height, z0), (0, 0, sz), (sx, 0, 0)), colour)               # top
    face(*quad((x0, 0, z1), (sx, 0, 0), (0, height, 0)), shade(0.85))           # +z
    face(*quad((x1, 0, z0), (-sx, 0, 0), (0, height, 0)), shade(0.6))           # -z
    face(*quad((x1, 0, z1), (0, 0, -sz), (0, height, 0)), shade(0.75))          # +x
    face(*quad((x0, 0, z0), (0, 0, sz), (0, height, 0)), shade(0.7))            # -x


# The yard: 40 x 40, tiled floor in two tones (drawn only), one floor
# polygon for collision, walls 4 high facing inwards.
half = 20.0
tiles = 8
step = 2 * half / tiles
for i in range(tiles):
    for j in range(tiles):
        x, z = -half + i * step, -half + j * step
        tone = (0.55, 0.6, 0.5) if (i + j) % 2 == 0 else (0.42, 0.47, 0.4)
        face(*quad((x, 0, z), (0, 0, step), (step, 0, 0)), tone, collide=False)
solid.append(quad((-half, 0, -half), (0, 0, 2 * half), (2 * half, 0, 0)))
wall = 4.0
face(*quad((-half, 0, -half), (2 * half, 0, 0), (0, wall, 0)), (0.5, 0.45, 0.6))    # far, faces +z
face(*quad((half, 0, half), (-2 * half, 0, 0), (0, wall, 0)), (0.5, 0.45, 0.6))     # near, faces -z
face(*quad((-half, 0, half), (0, 0, -2 * half), (0, wall, 0)), (0.45, 0.4, 0.55))   # left, faces +x
face(*quad((half, 0, -half), (0, 0, 2 * half), (0, wall, 0)), (0.45, 0.4, 0.55))    # right, faces -x

box(-9, -9, -5, -5, 3, (0.9, 0.3, 0.25))
box(4, -12, 8, -6, 5, (0.25, 0.45, 0.9))
box(-2, -3, 1, 0, 1.5, (0.95, 0.8, 0.2))
box(9, 2, 12, 5, 2.5, (0.3, 0.8, 0.4))


# The BSP: recursive partition, splitting polygons that straddle a plane.
def plane_of(poly):
    corners, n = poly
    return n, -dot(n, corners[0])


def side(plane, p):
    n, d = plane
    return dot(n, p) + d


def split(poly, plane):
    corners, n = poly
    front, back = [], []
    for i, a in enumerate(corners):
        b = corners[(i + 1) % len(corners)]
        da, db = side(plane, a), side(plane, b)
        if da >= -EPS:
            front.append(a)
        if da <= EPS:
            back.append(a)
        if (da > EPS and db < -EPS) or (da < -EPS and db > EPS):
            p = add(a, mul(sub(b, a), da / (da - db)))
            front.append(p)
            back.append(p)
    return (front, n), (back, n)


def classify(poly, plane):
    ds = [side(plane, p) for p in poly[0]]
    if all(abs(d) <= EPS for d in ds):
        return 'on'
    if all(d >= -EPS for d in ds):
        return 'front'
    if all(d <= EPS for d in ds):
        return 'back'
    return 'split'


def build(polys):
    if not polys:
        return None
    best = min(range(len(polys)),
               key=lambda k: sum(classify(p, plane_of(polys[k])) == 'split' for p in polys))
    plane = plane_of(polys[best])
    on, front, back = [polys[best]], [], []
    for k, p in enumerate(polys):
        if k == best:
            continue
        c = classify(p, plane)
        if c == 'on':
            on.append(p)
        elif c == 'front':
            front.append(p)
        elif c == 'back':
            back.append(p)
        else:
            f, b = split(p, plane)
            front.append(f)
            back.append(b)
    return on, build(front), build(back)


def num(x):
    x = round(x, 6)
    if x == 0:
        x = 0.0
    return ('%.6f' % x).rstrip('0').rstrip('.')


def nums(*xs): return ' '.join(num(x) for x in xs)


def collision_record(poly):
    corners, n = poly
    n_, d = plane_of(poly)
    out = [nums(*n, d) + ' ' + str(len(corners))]
    for i, a in enumerate(corners):
        b = corners[(i + 1) % len(corners)]
        e = unit(cross(n, sub(b, a)))
        centre = mul(sum_points(corners), 1.0 / len(corners))
        if dot(e, sub(centre, a)) < 0:
            e = mul(e, -1)
        out.append('  ' + nums(*e, -dot(e, a)) + '   ' + nums(*a))
    return '\n'.join(out)


def sum_points(ps):
    s = (0.0, 0.0, 0.0)
    for p in ps:
        s = add(s, p)
    return s


def write_node(node, out):
    if node is None:
        out.append('0')
        return
    on, front, back = node
    out.append(str(len(on)))
    for p in on:
        out.append(collision_record(p))
    write_node(front, out)
    write_node(back, out)


def world_text():
    out = ['0 1 16', '1 1 1', '1 ..\\Textures\\demo-tile.bmp', '1', 'worldspawn ' + str(len(drawn))]
    for corners, n, colour, _ in drawn:
        out.append('..\\Textures\\demo-tile.bmp ' + nums(*n) + ' ' + str(len(corners)))
        # Texture space follows the two longest axes of the face, one repeat
        # every 2 units.
        axes = [k for k in range(3) if abs(n[k]) < 0.5]
        for p in corners:
            u, v = p[axes[0]] / 2.0, p[axes[1]] / 2.0
            out.append('  ' + nums(*p, u, v, *n, *colour))
    write_node(build(list(solid)), out)
    return '\n'.join(out) + '\n'


def tile_bitmap(size=32):
    """A light tile with a darker grout line: the vertex colours tint it."""
    rows = []
    for y in range(size):
        row = b''
        for x in range(size):
            edge = x in (0, size - 1) or y in (0, size - 1)
            speck = ((x * 7 + y * 13) % 11) == 0
            g = 150 if edge else (215 if speck else 235)
            row += bytes((g, g, g))
        rows.append(row)
    pixels = b''.join(rows)
    header = b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


if __name__ == '__main__':
    with open('Worlds/demo.wrl', 'w', newline='\n') as f:
        f.write(world_text())
    with open('Textures/demo-tile.bmp', 'wb') as f:
        f.write(tile_bitmap())
