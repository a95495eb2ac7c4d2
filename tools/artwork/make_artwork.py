#!/usr/bin/env python3
"""Draws the program's icons and bitmaps and writes them to resources/.

Standard library only: the ICO and BMP files are assembled byte by byte, so
the output is identical on every run. The generated files are committed, so
building the program does not need Python; run this script again only after
changing the artwork:

    python3 tools/artwork/make_artwork.py [output-directory]

Icons are 4 bits per pixel with their own 16-colour palette; index 0 is
always black so that the transparent pixels (AND mask bit set, colour 0)
leave the screen untouched.
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Small helpers
# ---------------------------------------------------------------------------


def clamp(value, low=0.0, high=1.0):
    return max(low, min(high, value))


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(lerp(a, b, t) for a, b in zip(c1, c2))


def ramp(stops, t):
    """Colour at t (0..1) along evenly spaced colour stops."""
    t = clamp(t) * (len(stops) - 1)
    i = min(int(t), len(stops) - 2)
    return mix(stops[i], stops[i + 1], t - i)


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------------------
# Icon rasteriser: supersampled colour functions, quantised to a palette
# ---------------------------------------------------------------------------

SUBSAMPLES = 4


def render(size, colour_at):
    """Samples colour_at(x, y) -> (r, g, b) or None on a grid of sub-pixels.

    Returns rows of (average colour, coverage) per pixel.
    """
    n = SUBSAMPLES
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = colour_at(px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    if c is not None:
                        hits += 1
                        total[0] += c[0]
                        total[1] += c[1]
                        total[2] += c[2]
            if hits:
                row.append((tuple(v / hits for v in total), hits / (n * n)))
            else:
                row.append((None, 0.0))
        pixels.append(row)
    return pixels


def render_majority(size, colour_at, palette):
    """Like render + quantise, but each pixel takes the palette colour most of
    its sub-pixels have: crisp edges between parts, no blended in-between hues.
    """
    n = SUBSAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(n):
                for sx in range(n):
                    c = colour_at(px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    if c is not None:
                        i = nearest_index(c, palette)
                        votes[i] = votes.get(i, 0) + 1
            if sum(votes.values()) * 2 >= n * n:
                row.append(max(sorted(votes), key=lambda i: votes[i]))
            else:
                row.append(None)
        rows.append(row)
    return rows


def nearest_index(colour, palette, first=0):
    best, best_d = first, None
    for i in range(first, len(palette)):
        p = palette[i]
        d = (2 * (colour[0] - p[0]) ** 2 + 4 * (colour[1] - p[1]) ** 2
             + 3 * (colour[2] - p[2]) ** 2)
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def quantise(pixels, palette, threshold=0.5):
    """Pixel rows -> rows of palette indexes, None where transparent."""
    return [[nearest_index(c, palette) if cov >= threshold else None
             for c, cov in row] for row in pixels]


def add_outline(indexes, outline_index):
    """Surrounds the opaque area with a one pixel line (4-neighbourhood)."""
    size = len(indexes)
    out = [row[:] for row in indexes]
    for y in range(size):
        for x in range(size):
            if indexes[y][x] is not None:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < size and 0 <= ny < size and indexes[ny][nx] is not None:
                    out[y][x] = outline_index
                    break
    return out


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def padded_palette(palette):
    if len(palette) > 16:
        raise ValueError('palette has more than 16 colours')
    if tuple(palette[0]) != (0, 0, 0):
        raise ValueError('palette entry 0 must be black (transparent pixels use it)')
    return list(palette) + [(0, 0, 0)] * (16 - len(palette))


def icon_image_4bpp(indexes, palette):
    """BITMAPINFOHEADER + palette + XOR bits + AND mask of one icon image."""
    size = len(indexes)
    palette = padded_palette(palette)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(indexes):          # bottom-up, as DIBs are stored
        line = bytearray(xor_stride)
        mask = bytearray(and_stride)
        for x, index in enumerate(row):
            if index is None:
                index = 0
                mask[x // 8] |= 0x80 >> (x % 8)
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor_bits += line
        and_bits += mask
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    colours = b''.join(struct.pack('<BBBB', int(b), int(g), int(r), 0)
                       for r, g, b in palette)
    return header + colours + bytes(xor_bits) + bytes(and_bits)


def ico_file(images):
    """images: list of (indexes, palette), largest first."""
    count = len(images)
    directory = struct.pack('<HHH', 0, 1, count)
    blobs = [icon_image_4bpp(ix, pal) for ix, pal in images]
    offset = 6 + 16 * count
    for (indexes, _), blob in zip(images, blobs):
        size = len(indexes)
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0,
                                 1, 4, len(blob), offset)
        offset += len(blob)
    return directory + b''.join(blobs)


def bmp_file_24(rows):
    """rows: top-down list of rows of (r, g, b) 0..255 integers."""
    height = len(rows)
    width = len(rows[0])
    stride = ((width * 3 + 3) // 4) * 4
    bits = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        bits += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0,
                       len(bits), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(bits), 0, 0,
                         14 + len(info))
    return header + info + bytes(bits)


def to_byte_colour(c):
    return tuple(int(round(clamp(v, 0, 255))) for v in c)


# ---------------------------------------------------------------------------
# Icon 100: a dart
# ---------------------------------------------------------------------------

DART_PALETTE = [
    (0, 0, 0),
    (40, 40, 48), (84, 84, 92), (128, 128, 136), (176, 176, 184),
    (220, 220, 226), (255, 255, 255),
    (96, 0, 0), (160, 0, 8), (216, 24, 24), (255, 96, 80), (255, 168, 152),
    (24, 40, 112), (48, 80, 176), (96, 136, 232),
]

METAL = [(40, 40, 48), (84, 84, 92), (128, 128, 136), (176, 176, 184),
         (220, 220, 226), (255, 255, 255)]
FLIGHT_RED = [(96, 0, 0), (160, 0, 8), (216, 24, 24), (255, 96, 80),
              (255, 168, 152)]
SHAFT_BLUE = [(24, 40, 112), (48, 80, 176), (96, 136, 232)]


def cylinder_light(v, half_width):
    """Brightness 0..1 across a round part lit from the upper left.

    v runs across the part, negative towards the light.
    """
    n = clamp(v / half_width, -1.0, 1.0)
    diffuse = 0.55 - 0.45 * n
    shine = math.exp(-((n + 0.45) / 0.25) ** 2)
    return clamp(diffuse + 0.45 * shine)


def dart_colour_function(size):
    # The dart lies on the diagonal: tail at the upper right, point at the
    # lower left, as if flying into a target.
    scale = size / 32.0
    tail = (27.0 * scale, 5.0 * scale)
    tip = (2.0 * scale, 30.0 * scale)
    length = math.hypot(tip[0] - tail[0], tip[1] - tail[1])
    ux, uy = (tip[0] - tail[0]) / length, (tip[1] - tail[1]) / length
    vx, vy = uy, -ux                     # points to the lower right
    small = size < 24

    def flight_half_width(f):
        if f < 0.07:
            return lerp(0.17, 0.19, f / 0.07) * length
        t = (f - 0.07) / (0.34 - 0.07)
        return lerp(0.19, 0.03, t ** 0.8) * length

    def colour(x, y):
        dx, dy = x - tail[0], y - tail[1]
        u = dx * ux + dy * uy
        v = dx * vx + dy * vy
        f = u / length
        if f < 0 or f > 1:
            return None
        # point
        if f >= 0.78:
            hw = lerp(0.035, 0.004, (f - 0.78) / 0.22) * length
            hw = max(hw, 0.02)
            if abs(v) <= hw:
                return ramp(METAL, cylinder_light(v, max(hw, 0.6)))
            return None
        # barrel with grip rings
        if f >= 0.47:
            hw = 0.078 * length
            end = min(f - 0.47, 0.78 - f) * length
            hw_here = hw if end > 1.0 * scale else hw * (0.75 + 0.25 * end / scale)
            if abs(v) <= hw_here:
                light = cylinder_light(v, hw)
                if not small:
                    ring = ((f - 0.47) * length / (2.0 * scale)) % 1.0
                    if ring < 0.4:
                        light *= 0.55
                return ramp(METAL, light)
        # shaft
        if 0.26 <= f < 0.5:
            hw = max(0.042 * length, 0.9)
            if abs(v) <= hw:
                return ramp(SHAFT_BLUE, cylinder_light(v, hw))
        # flights, two of them seen edge on: the upper one catches the light
        if f < 0.34 and abs(v) <= flight_half_width(f):
            if abs(v) < 0.5 * scale:
                return FLIGHT_RED[0]
            side = 0.75 if v < 0 else 0.35
            shade = side + (0.2 if v < 0 else 0.1) * (1 - abs(v) / flight_half_width(f))
            return ramp(FLIGHT_RED, shade)
        return None

    return colour


# Palette indexes of DART_PALETTE by name, for the hand-placed small dart.
D_METAL = {'dark': 1, 'mid': 3, 'light': 4, 'bright': 5, 'white': 6}
D_RED = {'dark': 7, 'mid': 8, 'red': 9, 'light': 10}
D_BLUE = {'dark': 12, 'mid': 13, 'light': 14}


def small_dart_index(x, y):
    """The 16 x 16 dart, pixel by pixel.

    t runs along the dart's diagonal (tail at the upper right, point at the
    lower left), s across it (negative towards the light). s and t always
    differ in parity, so s == 0 is a line one pixel wide.
    """
    t = y - x
    s = x + y - 15
    if 9 <= t <= 13 and s == 0:
        return D_METAL['mid'] if t == 13 else D_METAL['bright']
    if 1 <= t <= 8 and abs(s) <= 1:
        if s == 0:
            return D_METAL['mid'] if t in (3, 5, 7) else D_METAL['light']
        return D_METAL['white'] if s < 0 else D_METAL['dark']
    if -5 <= t <= 0 and s == 0:
        return D_BLUE['light']
    if -4 <= t <= 0 and s == 1:
        return D_BLUE['dark']
    half = {-11: 2, -10: 3, -9: 3, -8: 3, -7: 2, -6: 2, -5: 1, -4: 1}.get(t)
    if half is not None and abs(s) <= half:
        if s == 0:
            return D_RED['dark']
        if s < 0:
            return D_RED['light'] if abs(s) < half or t == -11 else D_RED['red']
        return D_RED['mid']
    return None


def make_dart(size):
    if size == 16:
        indexes = [[small_dart_index(x, y) for x in range(16)] for y in range(16)]
    else:
        indexes = quantise(render(size, dart_colour_function(size)), DART_PALETTE)
    return add_outline(indexes, 0), DART_PALETTE


# ---------------------------------------------------------------------------
# Icons 101 and 102: plug apart from its socket / plug in the socket
# ---------------------------------------------------------------------------

GREYS = [(36, 36, 40), (68, 68, 74), (104, 104, 110), (144, 144, 150),
         (188, 188, 194)]
IVORY = [(150, 140, 112), (196, 188, 160), (232, 226, 204), (255, 253, 240)]
BRASS = [(136, 96, 16), (200, 156, 40), (248, 216, 112)]
PLUG_PALETTE = [(0, 0, 0)] + GREYS + IVORY + BRASS


def in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = clamp(x, x0 + r, x1 - r)
    cy = clamp(y, y0 + r, y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def across_light(y, centre, half_height):
    """Brightness of a horizontal round part (cable, pin) lit from above."""
    return cylinder_light(y - centre, half_height)


def plug_colour_function(connected):
    mid = 16.0
    socket_x0, socket_x1 = 21.0, 28.0
    shift = 8.0 if connected else 0.0       # the plug slides in by this much
    body_x0, body_x1 = 5.0 + shift, 13.0 + shift
    pin_x1 = 18.5
    pins = (12.5, 19.5)

    def socket(x, y):
        if not in_rounded_rect(x, y, socket_x0, mid - 8.5, socket_x1, mid + 8.5, 1.5):
            return None
        if x < socket_x0 + 2.0:
            # front face, in the shade, with the two holes for the pins
            if not connected and x < socket_x0 + 1.5:
                for p in pins:
                    if abs(y - p) <= 1.5:
                        return (0, 0, 0)
            return IVORY[0] if x < socket_x0 + 1.0 else IVORY[1]
        if y < mid - 7.0:
            return IVORY[3]
        return ramp(IVORY[1:], 0.85 - 0.7 * (y - (mid - 7.0)) / 15.5)

    def plug(x, y):
        # grip body with two grooves, narrowing to the strain relief at the back
        if in_rounded_rect(x, y, body_x0, mid - 6.5, body_x1, mid + 6.5, 1.5):
            light = across_light(y, mid, 6.5)
            column = int(math.floor(x - body_x0))
            if column in (2, 4) and abs(y - mid) < 4.5:
                return GREYS[0] if column == 2 else GREYS[1]
            if column in (3, 5) and abs(y - mid) < 4.5:
                light = min(1.0, light + 0.2)
            return ramp(GREYS, light)
        if body_x0 - 3.0 <= x < body_x0:
            half = 2.6 + (x - (body_x0 - 3.0)) * 0.6
            if abs(y - mid) <= half:
                return ramp(GREYS, across_light(y, mid, half) * 0.8)
        if x < body_x0 - 2.5 and abs(y - mid) <= 1.7:
            return ramp(GREYS, across_light(y, mid, 1.7) * 0.85)
        if not connected and body_x1 < x <= pin_x1:
            for p in pins:
                if abs(y - p) <= 1.1 and (x < pin_x1 - 0.8 or abs(y - p) <= 0.5):
                    return ramp(BRASS, across_light(y, p, 1.1))
        return None

    def cable_out(x, y):
        if x > socket_x1 - 0.5 and abs(y - mid) <= 1.7:
            return ramp(GREYS, across_light(y, mid, 1.7) * 0.85)
        return None

    def colour(x, y):
        return plug(x, y) or socket(x, y) or cable_out(x, y)

    return colour


def make_plug(connected):
    indexes = render_majority(32, plug_colour_function(connected), PLUG_PALETTE)
    return add_outline(indexes, 0), PLUG_PALETTE


# ---------------------------------------------------------------------------
# Icons 105 to 109: shaded balls
# ---------------------------------------------------------------------------

BALL_COLOURS = [
    ('magenta', (224, 0, 224)),
    ('cyan', (0, 208, 240)),
    ('yellow', (248, 224, 0)),
    ('green', (0, 184, 0)),
    ('grey', (150, 150, 150)),
]

BALL_SHADES = 15


def ball_colour(base, t):
    """Dark rim (t=0) to the full colour (t=0.72) to a white highlight (t=1)."""
    if t < 0.72:
        return mix(tuple(c * 0.16 for c in base), base, t / 0.72)
    return mix(base, (255, 255, 255), (t - 0.72) / 0.28)


def ball_palette(base):
    return [(0, 0, 0)] + [to_byte_colour(ball_colour(base, i / (BALL_SHADES - 1)))
                          for i in range(BALL_SHADES)]


def ball_colour_function(size, base):
    centre = size / 2.0
    radius = size / 2.0 - (1.0 if size >= 24 else 0.7)
    light = (-0.5, -0.6, 0.62)
    shininess = 14 if size >= 24 else 10   # a bigger spot where pixels are few
    norm = math.sqrt(sum(c * c for c in light))
    lx, ly, lz = (c / norm for c in light)

    def colour(x, y):
        nx, ny = (x - centre) / radius, (y - centre) / radius
        rr = nx * nx + ny * ny
        if rr > 1.0:
            return None
        nz = math.sqrt(1.0 - rr)
        diffuse = max(0.0, nx * lx + ny * ly + nz * lz)
        # reflection of the light seen from the front
        rz = 2 * (nx * lx + ny * ly + nz * lz) * nz - lz
        specular = max(0.0, rz) ** shininess
        bounce = 0.12 * max(0.0, nx * 0.5 + ny * 0.7) * (1 - nz)
        t = 0.08 + 0.64 * diffuse + bounce + 0.28 * specular
        return ball_colour(base, clamp(t))

    return colour


def make_ball(size, base):
    palette = ball_palette(base)
    pixels = render(size, ball_colour_function(size, base))
    return quantise(pixels, palette), palette


# ---------------------------------------------------------------------------
# Bitmap 100: exit door with an arrow, 16 x 16 toolbar image
# ---------------------------------------------------------------------------

TOOLBAR_GREY = (192, 192, 192)

EXIT_LEGEND = {
    '.': TOOLBAR_GREY,
    'K': (0, 0, 0),
    'F': (96, 56, 24),       # door frame
    'd': (40, 32, 24),       # dark room behind the door
    'B': (128, 72, 24),      # door leaf, shadow side
    'b': (184, 112, 48),     # door leaf
    'h': (224, 160, 88),     # door leaf, lit edge
    'y': (255, 224, 64),     # door knob
    'G': (0, 112, 0),        # arrow outline
    'g': (0, 192, 0),        # arrow
    'l': (128, 240, 128),    # arrow, lit edge
}

EXIT_ART = [
    "................",
    ".FFFFFFFFF......",
    ".FhKddddF.......",
    ".FhbKdddF.......",
    ".FhbbKddF.......",
    ".FhbbbKdF..G....",
    ".FhbbbBdF..GG...",
    ".FhbbbBGGGGGlG..",
    ".FhbbybGllllllG.",
    ".FhbbbBGgggggggG",
    ".FhbbbBGGGGGgG..",
    ".FhbbbBdF..GG...",
    ".FhbbbBdF..G....",
    ".FhbbKddF.......",
    ".FhbKdddF.......",
    ".FFFFFFFFF......",
]


def make_exit_bitmap():
    return [[EXIT_LEGEND[ch] for ch in row] for row in EXIT_ART]


# ---------------------------------------------------------------------------
# Bitmap 101: the "Quembarsolt" banner
# ---------------------------------------------------------------------------
# Letters are signed distance functions in font units (1 unit = 1 pixel,
# y grows upwards from the baseline); negative inside the letter.

STEM = 7.5          # stroke weight of the lower-case letters
X_HEIGHT = 28.0
ASCENDER = 39.0


def sd_box(x, y, x0, y0, x1, y1):
    dx = max(x0 - x, 0.0, x - x1)
    dy = max(y0 - y, 0.0, y - y1)
    if dx > 0 or dy > 0:
        return math.hypot(dx, dy)
    return -min(x - x0, x1 - x, y - y0, y1 - y)


def sd_ring(x, y, cx, cy, rx, ry, width):
    """Elliptic ring; rx, ry are the outer radii."""
    mx, my = rx - width / 2.0, ry - width / 2.0
    px, py = x - cx, y - cy
    q = math.hypot(px / mx, py / my)
    if q < 1e-9:
        return min(mx, my) - width / 2.0
    gx, gy = px / (mx * mx * q), py / (my * my * q)
    g = math.hypot(gx, gy)
    return abs((q - 1.0) / g) - width / 2.0


def sd_wedge(x, y, cx, cy, a0, a1):
    """Angles a0..a1 (degrees, counter-clockwise) seen from (cx, cy)."""
    px, py = x - cx, y - cy
    d0 = (math.cos(math.radians(a0)), math.sin(math.radians(a0)))
    d1 = (math.cos(math.radians(a1)), math.sin(math.radians(a1)))
    h0 = -(d0[0] * py - d0[1] * px)      # left of the first ray
    h1 = d1[0] * py - d1[1] * px         # right of the second ray
    span = (a1 - a0) % 360
    return max(h0, h1) if span <= 180 else min(h0, h1)


def sd_oriented_box(x, y, ax, ay, bx, by, width):
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length
    px, py = x - ax, y - ay
    u = px * ux + py * uy
    v = -px * uy + py * ux
    return sd_box(u, v, 0.0, -width / 2.0, length, width / 2.0)


def union(*ds):
    return min(ds)


def cut(d, hole):
    return max(d, -hole)


def bowl(x, y, left):
    """The round part shared by o, b, a, e: 29 units wide."""
    return sd_ring(x, y, left + 14.5, 14.0, 14.5, 14.5, STEM)


def glyph_Q(x, y):
    ring = sd_ring(x, y, 19.5, 19.0, 19.5, 19.5, 8.5)
    tail = sd_oriented_box(x, y, 22.0, 11.0, 36.0, -4.0, 8.0)
    return union(ring, tail)


def glyph_u(x, y):
    lower = max(bowl(x, y, 0.0), y - 15.0)
    return union(lower, sd_box(x, y, 0.0, 13.0, STEM, X_HEIGHT),
                 sd_box(x, y, 29.0 - STEM, 0.0, 29.0, X_HEIGHT))


def glyph_e(x, y):
    ring = cut(bowl(x, y, 0.0), sd_wedge(x, y, 14.5, 14.0, -34.0, 0.0))
    bar = sd_box(x, y, 1.0, 11.3, 28.0, 17.5)
    return union(ring, bar)


def glyph_m(x, y):
    r = (44.0 - STEM) / 4.0 + STEM / 2.0          # outer radius of an arch
    cy = X_HEIGHT + 0.5 - r
    left_arch = max(sd_ring(x, y, r, cy, r, r, STEM), cy - 1.0 - y)
    right_arch = max(sd_ring(x, y, 44.0 - r, cy, r, r, STEM), cy - 1.0 - y)
    middle = 22.0 - STEM / 2.0
    return union(sd_box(x, y, 0.0, 0.0, STEM, X_HEIGHT), left_arch, right_arch,
                 sd_box(x, y, middle, 0.0, middle + STEM, cy + 1.0),
                 sd_box(x, y, 44.0 - STEM, 0.0, 44.0, cy + 1.0))


def glyph_b(x, y):
    return union(sd_box(x, y, 0.0, 0.0, STEM, ASCENDER), bowl(x, y, 0.0))


def glyph_a(x, y):
    return union(bowl(x, y, 0.0), sd_box(x, y, 29.0 - STEM, 0.0, 29.0, X_HEIGHT))


def glyph_r(x, y):
    cx, cy, radius = 15.0, X_HEIGHT + 0.5 - 13.0, 13.0
    shoulder = max(sd_ring(x, y, cx, cy, radius, radius, STEM),
                   sd_wedge(x, y, cx, cy, 45.0, 200.0))
    return union(sd_box(x, y, 0.0, 0.0, STEM, X_HEIGHT), shoulder)


def glyph_s(x, y):
    width = 25.0
    cx = width / 2.0
    spine = 14.0
    upper = sd_ring(x, y, cx, (X_HEIGHT + 0.5 + spine - STEM / 2.0) / 2.0,
                    width / 2.0, (X_HEIGHT + 0.5 - spine + STEM / 2.0) / 2.0, STEM * 0.92)
    lower = sd_ring(x, y, cx, (spine + STEM / 2.0 - 0.5) / 2.0,
                    width / 2.0, (spine + STEM / 2.0 + 0.5) / 2.0, STEM * 0.92)
    upper_cy = (X_HEIGHT + 0.5 + spine - STEM / 2.0) / 2.0
    lower_cy = (spine + STEM / 2.0 - 0.5) / 2.0
    upper = max(upper, sd_wedge(x, y, cx, upper_cy, 25.0, 285.0))
    lower = max(lower, sd_wedge(x, y, cx, lower_cy, 205.0, 105.0))
    return union(upper, lower)


def glyph_o(x, y):
    return bowl(x, y, 0.0)


def glyph_l(x, y):
    return sd_box(x, y, 0.0, 0.0, STEM, ASCENDER)


def glyph_t(x, y):
    return union(sd_box(x, y, 4.5, 0.0, 4.5 + STEM, ASCENDER - 4.0),
                 sd_box(x, y, 0.0, X_HEIGHT - 6.5, 18.0, X_HEIGHT))


# (glyph, advance width, extra space before the next letter)
WORD = [
    (glyph_Q, 39.0, 0.0),
    (glyph_u, 29.0, 0.0),
    (glyph_e, 29.0, 0.0),
    (glyph_m, 44.0, 0.0),
    (glyph_b, 29.0, 0.0),
    (glyph_a, 29.0, 0.0),
    (glyph_r, 22.0, -1.0),
    (glyph_s, 25.0, 0.0),
    (glyph_o, 29.0, 0.0),
    (glyph_l, STEM, 0.0),
    (glyph_t, 18.0, 0.0),
]
LETTER_GAP = 5.0

BANNER_WIDTH, BANNER_HEIGHT = 400, 53
BASELINE = 43.0

WHITE = (255, 255, 255)
SHADOW = (150, 156, 176)
EDGE = (8, 20, 72)
FILL_TOP = (110, 176, 255)
FILL_MIDDLE = (32, 96, 216)
FILL_BOTTOM = (12, 40, 140)


def word_layout():
    total = sum(adv for _, adv, _ in WORD) + sum(extra for _, _, extra in WORD)
    total += LETTER_GAP * (len(WORD) - 1)
    x = (BANNER_WIDTH - total) / 2.0
    placed = []
    for glyph, advance, extra in WORD:
        placed.append((glyph, x, advance))
        x += advance + LETTER_GAP + extra
    return placed


def word_distance(placed, px, py):
    """Distance to the word at pixel position (px, py); negative inside."""
    fy = BASELINE - py
    best = 1e9
    for glyph, left, advance in placed:
        if px < left - 12 or px > left + advance + 12:
            continue
        best = min(best, glyph(px - left, fy))
    return best


def make_banner():
    placed = word_layout()
    w, h = BANNER_WIDTH, BANNER_HEIGHT
    dist = [[word_distance(placed, x + 0.5, y + 0.5) for x in range(w)]
            for y in range(h)]
    shadow_dx, shadow_dy = 3, 3

    def distance_at(x, y):
        if 0 <= x < w and 0 <= y < h:
            return dist[y][x]
        return 1e9

    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            colour = WHITE
            # soft drop shadow to the lower right
            ds = distance_at(x - shadow_dx, y - shadow_dy)
            shadow = 0.55 * (1.0 - smoothstep(-1.5, 1.5, ds))
            colour = mix(colour, SHADOW, shadow)
            d = dist[y][x]
            cover = clamp(0.5 - d)
            if cover > 0:
                # vertical gradient over the letter height, light from the top
                t = clamp((BASELINE - (y + 0.5)) / ASCENDER)
                if t > 0.55:
                    fill = mix(FILL_MIDDLE, FILL_TOP, (t - 0.55) / 0.45)
                else:
                    fill = mix(FILL_BOTTOM, FILL_MIDDLE, t / 0.55)
                # bevel: edges facing the upper left are lit, the others dark
                gx = distance_at(x + 1, y) - distance_at(x - 1, y)
                gy = distance_at(x, y + 1) - distance_at(x, y - 1)
                g = math.hypot(gx, gy)
                if g > 1e-6 and g < 10:
                    facing = (-gx * -0.6 + -gy * -0.8) / g   # outward normal vs light
                    band = 1.0 - smoothstep(1.0, 2.2, -d)
                    if facing > 0:
                        fill = mix(fill, WHITE, 0.55 * facing * band)
                    else:
                        fill = mix(fill, EDGE, 0.45 * -facing * band)
                # thin dark contour
                fill = mix(EDGE, fill, smoothstep(0.2, 1.3, -d))
                colour = mix(colour, fill, cover)
            row.append(to_byte_colour(colour))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------

def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', '..', 'resources')
    out = os.path.normpath(out)
    os.makedirs(out, exist_ok=True)

    write(os.path.join(out, 'icon100.ico'), ico_file([make_dart(32), make_dart(16)]))
    write(os.path.join(out, 'icon101.ico'), ico_file([make_plug(False)]))
    write(os.path.join(out, 'icon102.ico'), ico_file([make_plug(True)]))
    for number, (_, base) in enumerate(BALL_COLOURS, start=105):
        write(os.path.join(out, 'icon%d.ico' % number),
              ico_file([make_ball(32, base), make_ball(16, base)]))
    write(os.path.join(out, 'bitmap100.bmp'), bmp_file_24(make_exit_bitmap()))
    write(os.path.join(out, 'bitmap101.bmp'), bmp_file_24(make_banner()))


if __name__ == '__main__':
    main()
