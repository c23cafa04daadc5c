#!/usr/bin/env python3
"""Draws the client's pictures as SVG files (assistant/images/*.svg).

One palette and one set of shapes for everything, so the pictures stay a
family: rounded, flat, bright colours with a darker lower edge, white glyphs.
The SVGs are committed; run this again after changing a shape and commit the
result.  Only SVG Tiny features are used, since Qt's SVG renderer draws them.
"""
import math
import os
import sys

OUT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
FONT = "Microsoft YaHei"

C = {
    "teal": "#128A6F", "teal_d": "#0B6652", "teal_l": "#1BA184", "mint": "#DDF3EA",
    "lime": "#9BD241", "lime_d": "#78AE27", "grass": "#7CC242", "grass_l": "#B5E27A",
    "orange": "#EE7D24", "orange_d": "#C9611A", "orange_l": "#F6A35B",
    "blue": "#3D93E8", "blue_d": "#2468B8", "blue_l": "#7DB8F2",
    "purple": "#9570E0", "purple_d": "#6A47B5", "purple_l": "#B79CEC",
    "pink": "#F06292", "pink_d": "#C9416F", "pink_l": "#F792B4",
    "coral": "#F0605A", "coral_d": "#C8443F",
    "yellow": "#FFD54F", "yellow_d": "#E8B020",
    "navy": "#011B5E", "cream": "#FFFCF3", "white": "#FFFFFF",
    "sky_top": "#7CCBFF", "sky_bottom": "#E6F6FF",
}

# The five working areas keep one colour each, on the index page and in the tab bar.
AREA = {
    "daily": ("orange", "一日生活"),
    "course": ("blue", "课程安排"),
    "pack": ("purple", "资源包"),
    "favor": ("pink", "我的收藏"),
    "mgmt": ("teal", "个人中心"),
}


def f(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


class Svg:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.defs = []
        self.body = []
        self.ids = 0

    def uid(self, stem):
        self.ids += 1
        return "%s%d" % (stem, self.ids)

    def linear(self, stops, x1=0, y1=0, x2=0, y2=1):
        gid = self.uid("g")
        s = "".join('<stop offset="%s" stop-color="%s"/>' % (f(o), c) for o, c in stops)
        self.defs.append('<linearGradient id="%s" x1="%s" y1="%s" x2="%s" y2="%s">%s</linearGradient>'
                         % (gid, f(x1), f(y1), f(x2), f(y2), s))
        return "url(#%s)" % gid

    def radial(self, stops, cx=0.5, cy=0.5, r=0.5):
        gid = self.uid("r")
        s = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>' % (f(o), c, f(a))
                    for o, c, a in stops)
        self.defs.append('<radialGradient id="%s" cx="%s" cy="%s" r="%s">%s</radialGradient>'
                         % (gid, f(cx), f(cy), f(r), s))
        return "url(#%s)" % gid

    def add(self, s):
        self.body.append(s)

    def text(self):
        d = "<defs>%s</defs>" % "".join(self.defs) if self.defs else ""
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                'width="%d" height="%d" viewBox="0 0 %d %d">\n%s\n%s\n</svg>\n'
                % (self.w, self.h, self.w, self.h, d, "\n".join(self.body)))


def attrs(fill=None, stroke=None, sw=None, op=None, extra=""):
    a = ' fill="%s"' % (fill if fill else "none")
    if stroke:
        a += ' stroke="%s" stroke-width="%s" stroke-linecap="round" stroke-linejoin="round"' % (stroke, f(sw or 1))
    if op is not None:
        a += ' fill-opacity="%s"' % f(op)
        if stroke:
            a += ' stroke-opacity="%s"' % f(op)
    return a + extra


def rect(x, y, w, h, r=0, **kw):
    return '<rect x="%s" y="%s" width="%s" height="%s" rx="%s" ry="%s"%s/>' % (
        f(x), f(y), f(w), f(h), f(r), f(r), attrs(**kw))


def circle(cx, cy, r, **kw):
    return '<circle cx="%s" cy="%s" r="%s"%s/>' % (f(cx), f(cy), f(r), attrs(**kw))


def ellipse(cx, cy, rx, ry, **kw):
    return '<ellipse cx="%s" cy="%s" rx="%s" ry="%s"%s/>' % (f(cx), f(cy), f(rx), f(ry), attrs(**kw))


def path(d, **kw):
    return '<path d="%s"%s/>' % (d, attrs(**kw))


def line(x1, y1, x2, y2, stroke, sw, op=None):
    o = ' stroke-opacity="%s"' % f(op) if op is not None else ""
    return ('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-width="%s" stroke-linecap="round"%s/>'
            % (f(x1), f(y1), f(x2), f(y2), stroke, f(sw), o))


def polygon(points, **kw):
    return '<polygon points="%s"%s/>' % (" ".join("%s,%s" % (f(x), f(y)) for x, y in points), attrs(**kw))


def label(x, y, s, size, fill, weight="bold", anchor="middle", op=None):
    o = ' fill-opacity="%s"' % f(op) if op is not None else ""
    return ('<text x="%s" y="%s" font-family="%s" font-size="%s" font-weight="%s" fill="%s" '
            'text-anchor="%s"%s>%s</text>' % (f(x), f(y), FONT, f(size), weight, fill, anchor, o, s))


def vlabel(cx, top, chars, size, fill, gap=1.12):
    """Chinese written top to bottom, one character under the other."""
    out = []
    for i, ch in enumerate(chars):
        out.append(label(cx, top + size * (0.86 + i * gap), ch, size, fill))
    return "".join(out)


# ---------------------------------------------------------------- glyphs
# Each glyph is drawn around a centre (cx, cy) at size s (about its width).

def g_star(cx, cy, r, fill, op=None):
    pts = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = r if i % 2 == 0 else r * 0.48
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return polygon(pts, fill=fill, op=op)


def g_heart(cx, cy, s, fill, stroke=None, sw=None, op=None):
    def p(x, y):
        return "%s,%s" % (f(cx + x * s), f(cy + y * s))
    d = ("M%s C%s %s %s C%s %s %s C%s %s %s C%s %s %s Z" % (
        p(0, 0.42), p(-0.62, 0.02), p(-0.58, -0.44), p(-0.27, -0.44),
        p(-0.1, -0.44), p(0, -0.32), p(0, -0.24),
        p(0, -0.32), p(0.1, -0.44), p(0.27, -0.44),
        p(0.58, -0.44), p(0.62, 0.02), p(0, 0.42)))
    return path(d, fill=fill, stroke=stroke, sw=sw, op=op)


def g_sun(cx, cy, r, fill, ray=None, op=None):
    ray = ray or fill
    out = []
    for i in range(8):
        a = i * math.pi / 4
        out.append(line(cx + r * 1.35 * math.cos(a), cy + r * 1.35 * math.sin(a),
                        cx + r * 1.75 * math.cos(a), cy + r * 1.75 * math.sin(a), ray, r * 0.28, op))
    out.append(circle(cx, cy, r, fill=fill, op=op))
    return "".join(out)


def g_cloud(cx, cy, s, fill, op=None):
    return "".join([
        ellipse(cx, cy + s * 0.12, s * 0.5, s * 0.2, fill=fill, op=op),
        circle(cx - s * 0.2, cy + s * 0.02, s * 0.2, fill=fill, op=op),
        circle(cx + s * 0.05, cy - s * 0.08, s * 0.26, fill=fill, op=op),
        circle(cx + s * 0.3, cy + s * 0.06, s * 0.16, fill=fill, op=op),
    ])


def g_calendar(cx, cy, s, fill, ink, op=None):
    x, y, w, h = cx - s / 2, cy - s * 0.42, s, s * 0.88
    out = [rect(x, y, w, h, s * 0.14, fill=fill, op=op),
           path("M%s,%s h%s v%s h%s Z" % (f(x), f(y + s * 0.3), f(w), f(-s * 0.16), f(-w)), fill=ink, op=op)]
    out[1] = rect(x, y, w, s * 0.26, s * 0.12, fill=ink, op=op) + rect(x, y + s * 0.14, w, s * 0.12, 0, fill=ink, op=op)
    for i in (-1, 1):
        out.append(rect(cx + i * s * 0.22 - s * 0.05, y - s * 0.08, s * 0.1, s * 0.2, s * 0.05, fill=fill, op=op))
    for row in range(2):
        for col in range(3):
            out.append(rect(x + s * (0.14 + col * 0.27), y + s * (0.38 + row * 0.24), s * 0.18, s * 0.15,
                            s * 0.04, fill=ink, op=op))
    return "".join(out)


def g_box(cx, cy, s, fill, ink, op=None):
    """A gift box: a body, a lid and a ribbon."""
    out = [rect(cx - s * 0.42, cy - s * 0.08, s * 0.84, s * 0.5, s * 0.06, fill=fill, op=op),
           rect(cx - s * 0.5, cy - s * 0.26, s * 1.0, s * 0.2, s * 0.06, fill=fill, op=op),
           rect(cx - s * 0.07, cy - s * 0.26, s * 0.14, s * 0.68, 0, fill=ink, op=op),
           path("M%s,%s C%s,%s %s,%s %s,%s Z" % (f(cx), f(cy - s * 0.27), f(cx - s * 0.45), f(cy - s * 0.62),
                                                  f(cx - s * 0.45), f(cy - s * 0.16), f(cx), f(cy - s * 0.27)),
                fill=fill, op=op),
           path("M%s,%s C%s,%s %s,%s %s,%s Z" % (f(cx), f(cy - s * 0.27), f(cx + s * 0.45), f(cy - s * 0.62),
                                                  f(cx + s * 0.45), f(cy - s * 0.16), f(cx), f(cy - s * 0.27)),
                fill=fill, op=op)]
    return "".join(out)


def g_person(cx, cy, s, fill, op=None):
    return (circle(cx, cy - s * 0.2, s * 0.22, fill=fill, op=op) +
            path("M%s,%s C%s,%s %s,%s %s,%s Z" % (f(cx - s * 0.42), f(cy + s * 0.42), f(cx - s * 0.42),
                                                   f(cy - s * 0.02), f(cx + s * 0.42), f(cy - s * 0.02),
                                                   f(cx + s * 0.42), f(cy + s * 0.42)), fill=fill, op=op))


def g_house(cx, cy, s, fill, ink, op=None):
    return (polygon([(cx - s * 0.5, cy - s * 0.02), (cx, cy - s * 0.46), (cx + s * 0.5, cy - s * 0.02)], fill=fill, op=op) +
            rect(cx - s * 0.34, cy - s * 0.08, s * 0.68, s * 0.5, s * 0.05, fill=fill, op=op) +
            rect(cx - s * 0.1, cy + s * 0.12, s * 0.2, s * 0.3, s * 0.04, fill=ink, op=op))


def g_clock(cx, cy, r, fill, ink, op=None):
    return (circle(cx, cy, r, fill=fill, op=op) + line(cx, cy, cx, cy - r * 0.6, ink, r * 0.16, op) +
            line(cx, cy, cx + r * 0.45, cy + r * 0.1, ink, r * 0.16, op) + circle(cx, cy, r * 0.1, fill=ink, op=op))


def g_note(cx, cy, s, fill, op=None):
    """Two beamed eighth notes."""
    return (ellipse(cx - s * 0.28, cy + s * 0.3, s * 0.17, s * 0.13, fill=fill, op=op) +
            ellipse(cx + s * 0.3, cy + s * 0.2, s * 0.17, s * 0.13, fill=fill, op=op) +
            rect(cx - s * 0.16, cy - s * 0.38, s * 0.08, s * 0.68, 0, fill=fill, op=op) +
            rect(cx + s * 0.42, cy - s * 0.48, s * 0.08, s * 0.68, 0, fill=fill, op=op) +
            polygon([(cx - s * 0.16, cy - s * 0.38), (cx + s * 0.5, cy - s * 0.48), (cx + s * 0.5, cy - s * 0.3),
                     (cx - s * 0.16, cy - s * 0.2)], fill=fill, op=op))


def g_pencil(cx, cy, s, fill, tip, op=None):
    body = polygon([(-0.42, -0.1), (0.22, -0.1), (0.22, 0.1), (-0.42, 0.1)], fill=fill, op=op)
    point = polygon([(0.22, -0.1), (0.45, 0), (0.22, 0.1)], fill=tip, op=op)
    return ('<g transform="translate(%s,%s) rotate(-45) scale(%s)">%s%s</g>' % (f(cx), f(cy), f(s), body, point))


def g_check(cx, cy, s, stroke, sw):
    return path("M%s,%s L%s,%s L%s,%s" % (f(cx - s * 0.38), f(cy), f(cx - s * 0.1), f(cy + s * 0.28),
                                         f(cx + s * 0.4), f(cy - s * 0.3)), stroke=stroke, sw=sw)


def g_plus(cx, cy, s, stroke, sw):
    return line(cx - s / 2, cy, cx + s / 2, cy, stroke, sw) + line(cx, cy - s / 2, cx, cy + s / 2, stroke, sw)


def g_minus(cx, cy, s, stroke, sw):
    return line(cx - s / 2, cy, cx + s / 2, cy, stroke, sw)


def g_cross(cx, cy, s, stroke, sw):
    d = s / 2
    return line(cx - d, cy - d, cx + d, cy + d, stroke, sw) + line(cx - d, cy + d, cx + d, cy - d, stroke, sw)


def g_chevron(cx, cy, s, stroke, sw, direction):
    d = s / 2
    pts = {"left": [(cx + d * 0.5, cy - d), (cx - d * 0.5, cy), (cx + d * 0.5, cy + d)],
           "right": [(cx - d * 0.5, cy - d), (cx + d * 0.5, cy), (cx - d * 0.5, cy + d)],
           "down": [(cx - d, cy - d * 0.5), (cx, cy + d * 0.5), (cx + d, cy - d * 0.5)],
           "up": [(cx - d, cy + d * 0.5), (cx, cy - d * 0.5), (cx + d, cy + d * 0.5)]}[direction]
    return path("M%s,%s L%s,%s L%s,%s" % tuple(f(v) for p in pts for v in p), stroke=stroke, sw=sw)


def g_arrow(cx, cy, s, stroke, sw, up):
    k = -1 if up else 1
    return (line(cx, cy - k * s * 0.45, cx, cy + k * s * 0.45, stroke, sw) +
            path("M%s,%s L%s,%s L%s,%s" % (f(cx - s * 0.35), f(cy + k * s * 0.1), f(cx), f(cy + k * s * 0.45),
                                           f(cx + s * 0.35), f(cy + k * s * 0.1)), stroke=stroke, sw=sw))


def g_bin(cx, cy, s, fill, op=None):
    return (rect(cx - s * 0.3, cy - s * 0.18, s * 0.6, s * 0.62, s * 0.08, fill=fill, op=op) +
            rect(cx - s * 0.4, cy - s * 0.34, s * 0.8, s * 0.12, s * 0.05, fill=fill, op=op) +
            rect(cx - s * 0.12, cy - s * 0.46, s * 0.24, s * 0.12, s * 0.04, fill=fill, op=op))


def g_folder_in(cx, cy, s, fill, ink):
    return (path("M%s,%s h%s l%s,%s h%s v%s h%s Z" % (f(cx - s * 0.5), f(cy - s * 0.34), f(s * 0.36), f(s * 0.1),
                                                     f(s * 0.1), f(s * 0.54), f(s * 0.66), f(-s)), fill=fill) +
            g_arrow(cx, cy + s * 0.06, s * 0.5, ink, s * 0.1, False))


def g_download(cx, cy, s, fill, ink):
    """A shopping bag with a star: where packs are found."""
    return (rect(cx - s * 0.42, cy - s * 0.22, s * 0.84, s * 0.66, s * 0.1, fill=fill) +
            path("M%s,%s C%s,%s %s,%s %s,%s" % (f(cx - s * 0.2), f(cy - s * 0.22), f(cx - s * 0.2), f(cy - s * 0.56),
                                               f(cx + s * 0.2), f(cy - s * 0.56), f(cx + s * 0.2), f(cy - s * 0.22)),
                 stroke=fill, sw=s * 0.1) +
            g_star(cx, cy + s * 0.12, s * 0.2, ink))


def g_spark(cx, cy, s, fill, op=None):
    return path("M%s,%s Q%s,%s %s,%s Q%s,%s %s,%s Q%s,%s %s,%s Q%s,%s %s,%s Z" % (
        f(cx), f(cy - s), f(cx), f(cy), f(cx + s), f(cy), f(cx), f(cy), f(cx), f(cy + s),
        f(cx), f(cy), f(cx - s), f(cy), f(cx), f(cy), f(cx), f(cy - s)), fill=fill, op=op)


AREA_GLYPH = {
    "daily": lambda cx, cy, s, fg, bg: g_sun(cx, cy, s * 0.24, fg),
    "course": lambda cx, cy, s, fg, bg: g_calendar(cx, cy, s * 0.78, fg, bg),
    "pack": lambda cx, cy, s, fg, bg: g_box(cx, cy + s * 0.04, s * 0.8, fg, bg),
    "favor": lambda cx, cy, s, fg, bg: g_heart(cx, cy + s * 0.03, s * 0.9, fg),
    "mgmt": lambda cx, cy, s, fg, bg: g_person(cx, cy + s * 0.02, s * 0.86, fg),
}


# ---------------------------------------------------------------- pieces

def chunky(svg, x, y, w, h, r, colour, edge=4):
    """A flat shape with a darker lower edge, like a toy block."""
    svg.add(rect(x, y + edge, w, h - edge, r, fill=C[colour + "_d"]))
    svg.add(rect(x, y, w, h - edge, r, fill=svg.linear([(0, C[colour + "_l"] if colour + "_l" in C else C[colour]),
                                                          (0.55, C[colour]), (1, C[colour])])))


def round_button(name, size, colour, glyph):
    s = Svg(size, size)
    r = size / 2
    s.add(circle(r, r, r, fill=C[colour + "_d"]))
    s.add(circle(r, r - size * 0.04, r - size * 0.04, fill=C[colour]))
    s.add(glyph(r, r - size * 0.04, size))
    return name, s


def write(name, svg):
    with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as fh:
        fh.write(svg.text())


# ---------------------------------------------------------------- main window

def background(w, h):
    """Sky, clouds, a sun and hills; the middle stays calm for the pages."""
    s = Svg(w, h)
    u = h / 1000.0
    s.add(rect(0, 0, w, h, fill=s.linear([(0, C["sky_top"]), (0.6, C["sky_bottom"]), (1, C["sky_bottom"])])))
    s.add(circle(w - 210 * u, 250 * u, 260 * u, fill=s.radial([(0, "#FFF6C8", 0.9), (1, "#FFF6C8", 0)])))
    s.add(g_sun(w - 210 * u, 250 * u, 46 * u, C["yellow"], C["yellow"]))
    for cx, cy, sc, op in ((0.16, 0.3, 170, 0.95), (0.5, 0.16, 120, 0.8), (0.72, 0.32, 150, 0.9),
                           (0.34, 0.42, 90, 0.7), (0.9, 0.5, 110, 0.75)):
        s.add(g_cloud(w * cx, h * cy, sc * u, C["white"], op))
    # hills
    s.add(path("M0,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s V%s H0 Z" % (
        f(h * 0.8), f(w * 0.2), f(h * 0.7), f(w * 0.4), f(h * 0.78), f(w * 0.55), f(h * 0.8),
        f(w * 0.72), f(h * 0.83), f(w * 0.85), f(h * 0.7), f(w), f(h * 0.76), f(h)), fill=C["grass_l"]))
    s.add(path("M0,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s V%s H0 Z" % (
        f(h * 0.88), f(w * 0.25), f(h * 0.8), f(w * 0.45), f(h * 0.9), f(w * 0.62), f(h * 0.87),
        f(w * 0.8), f(h * 0.84), f(w * 0.9), f(h * 0.86), f(w), f(h * 0.83), f(h)), fill=C["grass"]))
    # trees at the edges and a few flowers
    for tx, scale in ((0.05, 1.0), (0.95, 0.9)):
        x, base = w * tx, h * 0.86
        s.add(rect(x - 9 * u * scale, base - 90 * u * scale, 18 * u * scale, 90 * u * scale, 6 * u,
                   fill="#A0703C"))
        s.add(circle(x, base - 125 * u * scale, 62 * u * scale, fill="#5DAE3A"))
        s.add(circle(x - 30 * u * scale, base - 100 * u * scale, 40 * u * scale, fill="#6CBD45"))
        s.add(circle(x + 32 * u * scale, base - 104 * u * scale, 42 * u * scale, fill="#6CBD45"))
    flowers = [(0.13, 0.93, "pink"), (0.22, 0.96, "yellow"), (0.81, 0.95, "coral"), (0.88, 0.92, "yellow"),
               (0.7, 0.97, "purple"), (0.3, 0.91, "coral")]
    for fx, fy, col in flowers:
        x, y = w * fx, h * fy
        for i in range(5):
            a = i * 2 * math.pi / 5
            s.add(circle(x + 9 * u * math.cos(a), y + 9 * u * math.sin(a), 7 * u, fill=C[col]))
        s.add(circle(x, y, 5 * u, fill=C["white"]))
    return s


def title_background():
    s = Svg(500, 50)
    s.add(rect(2, 4, 496, 44, 22, fill=C["teal"], op=0.25))
    s.add(rect(2, 2, 496, 43, 21.5, fill=C["white"], stroke=C["teal"], sw=2.5, op=0.92))
    s.add(rect(2, 2, 496, 43, 21.5, stroke=C["teal"], sw=2.5))
    s.add(g_star(26, 24, 10, C["yellow"]))
    s.add(g_star(474, 24, 10, C["yellow"]))
    return s


def default_avatar():
    s = Svg(128, 128)
    s.add(circle(64, 64, 63, fill=C["white"]))
    s.add(circle(64, 64, 58, fill=s.linear([(0, "#C9EEDF"), (1, "#9EDCC4")])))
    # a child with a fringe and two little bunches of hair
    s.add(circle(30, 56, 11, fill="#5B3A29"))
    s.add(circle(98, 56, 11, fill="#5B3A29"))
    s.add(circle(30, 56, 4, fill=C["coral"]))
    s.add(circle(98, 56, 4, fill=C["coral"]))
    s.add(ellipse(64, 60, 33, 31, fill="#5B3A29"))
    s.add(ellipse(64, 72, 28, 27, fill="#FBD9B5"))
    s.add(path("M35,66 C34,42 50,32 64,32 C80,32 95,42 93,66 C88,56 80,50 72,48 C70,54 60,58 46,56 "
               "C42,58 38,62 35,66 Z", fill="#5B3A29"))
    s.add(circle(53, 71, 4, fill="#3A2A20"))
    s.add(circle(75, 71, 4, fill="#3A2A20"))
    s.add(circle(54.3, 69.7, 1.3, fill=C["white"]))
    s.add(circle(76.3, 69.7, 1.3, fill=C["white"]))
    s.add(ellipse(45, 81, 6, 4, fill=C["pink"], op=0.45))
    s.add(ellipse(83, 81, 6, 4, fill=C["pink"], op=0.45))
    s.add(path("M57,85 Q64,92 71,85", stroke="#B5523E", sw=3))
    # shoulders at the bottom of the round frame
    s.add(path("M30,114 C36,100 92,100 98,114 C88,122 40,122 30,114 Z", fill=C["orange"]))
    return s


def index_tile(area, w, h):
    colour, _ = AREA[area]
    s = Svg(w, h)
    s.add(rect(0, 6, w, h - 6, 26, fill=C[colour + "_d"]))
    s.add(rect(0, 0, w, h - 6, 26, fill=s.linear([(0, C[colour + "_l"]), (0.45, C[colour]), (1, C[colour])])))
    s.add(ellipse(w * 0.5, 10, w * 0.42, 9, fill=C["white"], op=0.18))
    wh = C["white"]
    if area == "daily":
        s.add(g_sun(58, 58, 26, C["yellow"]))
        s.add(g_cloud(w - 70, 52, 90, wh, 0.85))
        s.add(g_clock(44, h - 52, 22, wh, C["orange_d"], 0.9))
        for i, x in enumerate((w - 120, w - 84, w - 48)):
            s.add(g_star(x, h - 46 - (i % 2) * 12, 9, C["yellow"]))
    elif area == "course":
        s.add(g_calendar(w - 62, 62, 64, wh, C["blue_d"], 0.9))
        s.add(g_pencil(56, h - 56, 70, C["yellow"], "#F9C9A0"))
        s.add(g_star(52, 50, 12, C["yellow"]))
        s.add(g_star(w - 50, h - 48, 10, C["yellow"]))
        s.add(g_spark(88, 38, 7, wh, 0.8))
    elif area == "pack":
        for i, (col, ch) in enumerate((("yellow", "A"), ("coral", "B"), ("lime", "C"))):
            x = w - 112 + i * 33
            s.add(rect(x, h - 44, 29, 29, 6, fill=C[col]))
            s.add(label(x + 14.5, h - 22, ch, 19, C["white"]))
        s.add(g_box(46, 44, 44, wh, C["purple_d"], 0.9))
        s.add(g_star(w - 34, 30, 9, C["yellow"]))
    elif area == "favor":
        s.add(g_heart(w - 36, h - 30, 42, wh, op=0.9))
        s.add(g_heart(38, 36, 30, wh, op=0.75))
        s.add(g_heart(70, 26, 16, wh, op=0.6))
        s.add(g_spark(w - 40, 30, 9, C["yellow"]))
        s.add(g_spark(40, h - 34, 7, C["yellow"]))
    elif area == "mgmt":
        s.add(circle(w - 38, 38, 24, fill=wh, op=0.9))
        s.add(g_person(w - 38, 40, 32, C["teal"]))
        s.add(g_star(32, h - 36, 11, C["yellow"]))
        s.add(g_spark(34, 32, 8, wh, 0.8))
    return s


def tab(area, checked):
    colour, text = AREA[area]
    s = Svg(150, 60)
    if checked:
        s.add(rect(2, 6, 146, 52, 26, fill=C[colour + "_d"]))
        s.add(rect(2, 2, 146, 52, 26, fill=s.linear([(0, C[colour + "_l"]), (0.5, C[colour]), (1, C[colour])])))
        s.add(circle(30, 28, 20, fill=C["white"]))
        s.add(AREA_GLYPH[area](30, 28, 26, C[colour], C["white"]))
        s.add(label(96, 35, text, 19, C["white"]))
    else:
        s.add(rect(2, 6, 146, 52, 26, fill=C[colour + "_d"], op=0.35))
        s.add(rect(3.5, 3.5, 143, 49, 24.5, fill=C["white"], stroke=C[colour], sw=3))
        s.add(circle(30, 28, 20, fill=C[colour]))
        s.add(AREA_GLYPH[area](30, 28, 26, C["white"], C[colour]))
        s.add(label(96, 35, text, 19, C[colour + "_d"]))
    return s


def content_home():
    s = Svg(40, 40)
    s.add(circle(20, 21, 19, fill=C["teal_d"]))
    s.add(circle(20, 19, 19, fill=C["teal"]))
    s.add(g_house(20, 20, 22, C["white"], C["teal"]))
    return s


def magnifier():
    s = Svg(30, 30)
    s.add(circle(12.5, 12.5, 8, fill=C["white"], op=0.6))
    s.add(circle(12.5, 12.5, 8, stroke=C["teal"], sw=3.2))
    s.add(line(18.5, 18.5, 26, 26, C["teal"], 4.2))
    return s


def frame_min():
    s = Svg(30, 30)
    s.add(circle(15, 16, 14, fill=C["teal_d"], op=0.35))
    s.add(circle(15, 15, 13.5, fill=C["white"], stroke=C["teal"], sw=2))
    s.add(g_minus(15, 15, 11, C["teal"], 3.2))
    return s


def frame_close():
    s = Svg(30, 30)
    s.add(circle(15, 16, 14, fill=C["coral_d"]))
    s.add(circle(15, 15, 14, fill=C["coral"]))
    s.add(g_cross(15, 15, 10, C["white"], 3.2))
    return s


def close_mid():
    s = Svg(24, 24)
    s.add(circle(12, 12, 11.5, fill=C["white"], op=0.95))
    s.add(g_cross(12, 12, 8, C["teal"], 2.6))
    return s


# ---------------------------------------------------------------- lists

def center_widget_background():
    s = Svg(1200, 600)
    s.add(rect(0, 0, 1200, 600, 30, fill=C["teal"], op=0.18))
    s.add(rect(4, 4, 1192, 592, 26, fill=C["cream"]))
    s.add(rect(4, 4, 1192, 592, 26, stroke=C["mint"], sw=4))
    return s


def app_background():
    s = Svg(960, 500)
    s.add(rect(0, 0, 960, 500, 34, fill=s.linear([(0, "#0F7A66"), (1, "#0E5F75")], 0, 0, 1, 1)))
    s.add(rect(6, 6, 948, 488, 30, stroke=C["white"], sw=3, op=0.35))
    # Decorations stay inside the rounded shape: the dialog takes its window
    # shape from this picture's transparency, and a faint pixel outside the
    # shape would be drawn over black.
    for cx, cy, r, op in ((90, 70, 56, 0.08), (870, 410, 74, 0.08), (860, 70, 30, 0.1), (120, 430, 40, 0.07)):
        s.add(circle(cx, cy, r, fill=C["white"], op=op))
    s.add(g_star(48, 40, 12, C["yellow"]))
    s.add(g_star(80, 28, 7, C["yellow"]))
    return s


def arrow_button(direction):
    s = Svg(26, 45)
    s.add(rect(0, 3, 26, 42, 11, fill=C["teal_d"]))
    s.add(rect(0, 0, 26, 42, 11, fill=C["teal"]))
    s.add(g_chevron(13, 21, 14, C["white"], 3.6, direction))
    return s


def small_badge(colour, glyph):
    s = Svg(16, 16)
    s.add(circle(8, 8, 7.6, fill=C["white"]))
    s.add(circle(8, 8, 6.6, fill=C[colour]))
    s.add(glyph)
    return s


def favor(on):
    s = Svg(16, 16)
    if on:
        s.add(g_heart(8, 8.4, 17, C["white"]))
        s.add(g_heart(8, 8.4, 13.5, C["pink"]))
    else:
        s.add(g_heart(8, 8.4, 15, C["white"], stroke=C["pink"], sw=1.6))
    return s


def custom_pack_icon():
    s = Svg(128, 128)
    s.add(rect(4, 8, 120, 118, 26, fill=C["purple_d"]))
    s.add(rect(4, 4, 120, 116, 26, fill=s.linear([(0, C["purple_l"]), (0.5, C["purple"]), (1, C["purple"])])))
    s.add(g_box(64, 70, 66, C["white"], C["purple_l"]))
    s.add(g_heart(64, 74, 22, C["pink"]))
    s.add(g_star(26, 28, 9, C["yellow"]))
    s.add(g_spark(102, 30, 7, C["white"], 0.9))
    return s


def custom_scene_icon():
    s = Svg(128, 128)
    s.add(rect(4, 8, 120, 118, 26, fill=C["orange_d"]))
    s.add(rect(4, 4, 120, 116, 26, fill=s.linear([(0, C["orange_l"]), (0.5, C["orange"]), (1, C["orange"])])))
    s.add(rect(24, 30, 80, 62, 12, fill=C["white"]))
    s.add(polygon([(56, 46), (78, 61), (56, 76)], fill=C["orange"]))
    s.add(g_note(96, 92, 30, C["yellow"]))
    s.add(g_sun(30, 24, 8, C["yellow"]))
    return s


def daily_add():
    s = Svg(28, 28)
    s.add(circle(14, 15, 13.5, fill=C["teal_d"]))
    s.add(circle(14, 14, 13.5, fill=C["teal"]))
    s.add(g_plus(14, 14, 13, C["white"], 3.4))
    return s


def playlist_button(colour, glyph):
    s = Svg(20, 20)
    s.add(circle(10, 10.6, 9.4, fill=C[colour + "_d"]))
    s.add(circle(10, 10, 9.4, fill=C[colour]))
    s.add(glyph)
    return s


def drop_arrow():
    s = Svg(14, 14)
    s.add(g_chevron(7, 7, 10, C["teal"], 2.6, "down"))
    return s


def contact_card(kind):
    s = Svg(128, 128)
    s.add(rect(2, 2, 124, 124, 20, fill=C["white"], stroke=C["mint"], sw=3))
    if kind == "qq":
        # a round penguin with a scarf
        s.add(ellipse(64, 70, 34, 40, fill="#2B2B33"))
        s.add(ellipse(64, 78, 24, 30, fill=C["white"]))
        s.add(circle(54, 54, 5, fill=C["white"]))
        s.add(circle(74, 54, 5, fill=C["white"]))
        s.add(circle(55, 55, 2.5, fill="#2B2B33"))
        s.add(circle(73, 55, 2.5, fill="#2B2B33"))
        s.add(ellipse(64, 64, 8, 5, fill=C["yellow"]))
        s.add(rect(40, 84, 48, 9, 4, fill=C["coral"]))
        s.add(ellipse(50, 110, 10, 5, fill=C["yellow"]))
        s.add(ellipse(78, 110, 10, 5, fill=C["yellow"]))
    else:
        s.add(ellipse(54, 56, 34, 28, fill="#2DC100"))
        s.add(polygon([(36, 76), (30, 90), (48, 80)], fill="#2DC100"))
        s.add(circle(43, 50, 4.5, fill=C["white"]))
        s.add(circle(63, 50, 4.5, fill=C["white"]))
        s.add(ellipse(80, 82, 30, 24, fill="#8FD86B"))
        s.add(polygon([(96, 98), (102, 110), (88, 102)], fill="#8FD86B"))
        s.add(circle(71, 78, 4, fill=C["white"]))
        s.add(circle(89, 78, 4, fill=C["white"]))
    return s


# ---------------------------------------------------------------- pack view

def pack_action(colour, glyph, text):
    s = Svg(119, 42)
    s.add(rect(1, 4, 117, 38, 19, fill=C[colour + "_d"]))
    s.add(rect(1, 1, 117, 37, 18.5, fill=s.linear([(0, C[colour + "_l"]), (0.5, C[colour]), (1, C[colour])])))
    s.add(glyph(20, 19.5))
    s.add(label(73, 25, text, 14.5, C["white"]))
    return s


# ---------------------------------------------------------------- store

def store_dialog_background():
    s = Svg(339, 338)
    s.add(rect(0, 0, 339, 338, 0, fill=s.linear([(0, "#1BA184"), (1, "#0F7566")])))
    for cx, cy, r, op in ((20, 30, 50, 0.08), (320, 320, 70, 0.08), (310, 60, 18, 0.12), (40, 300, 24, 0.1)):
        s.add(circle(cx, cy, r, fill=C["white"], op=op))
    s.add(g_star(28, 26, 9, C["yellow"]))
    s.add(g_star(48, 16, 5, C["yellow"]))
    s.add(g_spark(300, 250, 6, C["white"], 0.7))
    s.add(rect(3, 3, 333, 332, 18, stroke=C["white"], sw=2, op=0.3))
    return s


def visit_store():
    s = Svg(230, 60)
    s.add(rect(2, 6, 226, 52, 26, fill=C["yellow_d"]))
    s.add(rect(2, 2, 226, 52, 26, fill=s.linear([(0, "#FFE58A"), (0.5, C["yellow"]), (1, C["yellow"])])))
    s.add(ellipse(115, 10, 90, 5, fill=C["white"], op=0.35))
    # the label is the button's own (translated) text, centred: only the ends are decorated
    s.add(g_star(22, 28, 8, C["orange"]))
    s.add(g_star(208, 28, 8, C["orange"]))
    return s


# ---------------------------------------------------------------- course

WEEKDAY = "一二三四五六日"
WEEKDAY_COLOUR = ["coral", "orange", "yellow", "lime", "blue", "purple", "pink"]


def course_day(n):
    col = WEEKDAY_COLOUR[n - 1]
    ink = C["navy"] if col in ("yellow", "lime") else C["white"]
    s = Svg(54, 144)
    s.add(path("M2,8 Q2,2 8,2 H46 Q52,2 52,8 V136 L27,124 L2,136 Z", fill=C[col + "_d"] if col + "_d" in C else C[col]))
    s.add(path("M2,6 Q2,0 8,0 H46 Q52,0 52,6 V132 L27,120 L2,132 Z", fill=C[col]))
    s.add(label(27, 22, "今天", 13, ink))
    s.add(vlabel(27, 30, "星期" + WEEKDAY[n - 1], 22, ink, 1.1))
    return s


def week_tab(text, checked):
    s = Svg(54, 144)
    if checked:
        s.add(rect(2, 4, 50, 140, 16, fill=C["teal_d"]))
        s.add(rect(2, 0, 50, 140, 16, fill=s.linear([(0, C["teal_l"]), (1, C["teal"])])))
        s.add(g_star(27, 24, 10, C["yellow"]))
        s.add(vlabel(27, 44, text, 24, C["white"], 1.15))
    else:
        s.add(rect(3.5, 1.5, 47, 137, 14.5, fill=C["white"], stroke=C["teal"], sw=3))
        s.add(g_star(27, 24, 10, C["teal"], 0.35))
        s.add(vlabel(27, 44, text, 24, C["teal"], 1.15))
    return s


def day_highlight():
    s = Svg(80, 32)
    s.add(rect(1, 3, 78, 29, 14, fill=C["lime_d"]))
    s.add(rect(1, 1, 78, 29, 14, fill=C["lime"]))
    return s


def select_background():
    s = Svg(440, 256)
    s.add(rect(0, 0, 440, 256, 26, fill=C["teal"]))
    s.add(rect(5, 5, 430, 246, 22, fill=C["cream"]))
    s.add(g_calendar(30, 24, 22, C["blue"], C["white"]))
    s.add(label(48, 31, "排入课程", 17, C["teal"], anchor="start"))
    return s


def select_week_label(text):
    s = Svg(32, 86)
    s.add(rect(1, 1, 30, 84, 10, fill=C["teal"]))
    s.add(vlabel(16, 14, text, 18, C["white"], 1.2))
    return s


def select_day(n):
    s = Svg(32, 86)
    s.add(rect(2, 2, 28, 82, 9, fill=C["white"], stroke=C["teal"], sw=2.5))
    s.add(vlabel(16, 14, "周" + WEEKDAY[n - 1], 18, C["teal"], 1.2))
    return s


def select_day_added():
    s = Svg(32, 86)
    s.add(rect(1, 3, 30, 83, 9, fill=C["orange_d"]))
    s.add(rect(1, 1, 30, 82, 9, fill=C["orange"]))
    s.add(g_check(16, 42, 20, C["white"], 4))
    return s


def main():
    pics = {}
    for name, (w, h) in {"contextpage_background_5x4": (1280, 1024), "contextpage_background_4x3": (1600, 1200),
                         "contextpage_background_16x10": (1920, 1200), "contextpage_background_5x3": (1800, 1080),
                         "contextpage_background_16x9": (1920, 1080)}.items():
        pics[name] = background(w, h)
    pics["title_background"] = title_background()
    pics["defaultavatar"] = default_avatar()
    pics["magnifier"] = magnifier()
    pics["frame_min"] = frame_min()
    pics["frame_close"] = frame_close()
    pics["close_mid"] = close_mid()
    for name, area, size in (("index_1_1", "daily", (349, 270)), ("index_1_2", "course", (349, 270)),
                             ("index_2_1", "pack", (261, 168)), ("index_2_2", "favor", (254, 168)),
                             ("index_2_3", "mgmt", (185, 168))):
        pics[name] = index_tile(area, *size)
    for area in AREA:
        pics["content_" + area] = tab(area, False)
        pics["content_%s_checked" % area] = tab(area, True)
    pics["content_home"] = content_home()
    pics["center_widget_background"] = center_widget_background()
    pics["app_background"] = app_background()
    pics["left"] = arrow_button("left")
    pics["right"] = arrow_button("right")
    pics["trash"] = small_badge("coral", g_bin(8, 8.4, 8.6, C["white"]))
    pics["course_add"] = small_badge("blue", g_plus(8, 8, 7, C["white"], 2.2))
    pics["edit"] = small_badge("orange", g_pencil(8, 8, 11, C["white"], C["white"]))
    pics["favor_on"] = favor(True)
    pics["favor_off"] = favor(False)
    pics["custom_pack_icon"] = custom_pack_icon()
    pics["custom_scene_icon"] = custom_scene_icon()
    pics["daily_add"] = daily_add()
    pics["playlist_add"] = playlist_button("lime", g_plus(10, 10, 10, C["white"], 2.8))
    pics["playlist_remove"] = playlist_button("coral", g_minus(10, 10, 10, C["white"], 2.8))
    pics["playlist_up"] = playlist_button("blue", g_arrow(10, 10, 11, C["white"], 2.4, True))
    pics["playlist_down"] = playlist_button("blue", g_arrow(10, 10, 11, C["white"], 2.4, False))
    pics["profileComboBox_drop-arrow"] = drop_arrow()
    pics["qq_group"] = contact_card("qq")
    pics["wechat_account"] = contact_card("wechat")
    pics["download_pack"] = pack_action("teal", lambda x, y: g_download(x, y + 1, 22, C["white"], C["teal"]), "资源商店")
    pics["import_pack"] = pack_action("blue", lambda x, y: g_folder_in(x, y + 1, 22, C["white"], C["blue"]), "导入资源包")
    pics["make_pack"] = pack_action("orange", lambda x, y: g_star(x, y, 11, C["white"]), "自制资源包")
    pics["store_dialog_background"] = store_dialog_background()
    pics["visit_store"] = visit_store()
    for n in range(1, 8):
        pics["course_day%d" % n] = course_day(n)
        pics["select_course_day%d" % n] = select_day(n)
    pics["this_week"] = week_tab("本周", False)
    pics["this_week_checked"] = week_tab("本周", True)
    pics["next_week"] = week_tab("下周", False)
    pics["next_week_checked"] = week_tab("下周", True)
    pics["day"] = day_highlight()
    pics["select_course_day_background"] = select_background()
    pics["select_course_this_week"] = select_week_label("本周")
    pics["select_course_next_week"] = select_week_label("下周")
    pics["select_course_day_added"] = select_day_added()
    pics["select_course_day_close"] = round_button("x", 32, "coral", lambda cx, cy, sz: g_cross(cx, cy, 11, C["white"], 3.4))[1]

    only = set(sys.argv[1:])
    for name, svg in pics.items():
        if not only or name in only:
            write(name, svg)
    # The resource list: each picture under the extension-less name the code uses.
    with open(os.path.join(OUT, "images.qrc"), "w", encoding="utf-8") as fh:
        fh.write('<!DOCTYPE RCC>\n<RCC version="1.0">\n<qresource prefix="/images">\n')
        for name in sorted(pics):
            fh.write('    <file alias="%s">%s.svg</file>\n' % (name, name))
        fh.write("</qresource>\n</RCC>\n")


if __name__ == "__main__":
    main()
