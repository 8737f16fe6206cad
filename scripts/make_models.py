#!/usr/bin/env python3
"""Builds zelmor's demo content: every model, the model list, the unit files and the scene.

Run from anywhere: python3 scripts/make_models.py [--force]. Everything is written under data/
and the output is the same on every run (the scatter uses a fixed seed).

Generated and hand-made content live side by side. The script owns data/models/*.mdl,
data/models.lst, the unit files it lists in UNITS and data/wdf/test.wdf, and nothing else.
Hand-made content lives under data/mine/, which it never writes: models listed in
data/mine/models.lst (the scene loads that list after the generated one) and scene lines in
data/mine/scene.wdf, which are copied into the end of the generated scene, read from the
position and orientation (0, 0, 0) as if they began a scene of their own.

The script writes only the files it generates, and only while they hold what it last wrote:
data/.generated records the SHA-256 of each file as written. A file changed by hand since, or
one it did not write, is kept and named, and the script exits with status 1; --force overwrites
such files. Files that already hold the generated text are left untouched, so a run on an
unchanged tree changes nothing.

Each file is replaced whole or not at all: written to a temporary file beside it, flushed to
the disk, then renamed over the old one. A write that fails (a full disk) removes the temporary
file, names the file and the reason, and ends the run with status 1; the record lists only what
was written whole, so the next run finishes the work without --force.

The program draws with lighting off, so each face gets its own vertices coloured by a fixed
light direction: tops are lightest, the sides that face the default camera (which looks along
+x +z) come next, the far sides are darkest. Bottom faces are left out: the camera never looks
up at the ground from below, and a bottom resting on another part's top would only fight it in
the depth buffer.

Model files have no comments and read every stray letter as a record, so the writer emits
nothing but the records v, o, i, p, c and x.
"""

import argparse
import hashlib
import math
import os
import random
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ beside the scripts in the repository
from scene_layout import scene_text  # noqa: E402  (beside this script)

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DATA = os.path.join(ROOT, "data")
MANIFEST = ".generated"  # under DATA
HAND_MODELS = "mine/models.lst"  # under DATA, never written here
HAND_SCENE = "mine/scene.wdf"  # under DATA, never written here
MANIFEST_HEADER = ("# Written by scripts/make_models.py: the SHA-256 of each file as it wrote it.\n"
                   "# It overwrites a file only while the file still matches.\n")

TRIANGLES = 4
LIGHT = (-0.6, 1.0, -0.25)  # towards the light, not normalised


def fmt(value):
    """A plain decimal without exponent or trailing zeros, and never "-0"."""
    text = f"{value:.4f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def normalised(v):
    length = math.sqrt(dot(v, v))
    return (0.0, 1.0, 0.0) if length == 0 else (v[0] / length, v[1] / length, v[2] / length)


def newell_normal(points):
    nx = ny = nz = 0.0
    for i, p in enumerate(points):
        q = points[(i + 1) % len(points)]
        nx += (p[1] - q[1]) * (p[2] + q[2])
        ny += (p[2] - q[2]) * (p[0] + q[0])
        nz += (p[0] - q[0]) * (p[1] + q[1])
    return normalised((nx, ny, nz))


def shade(colour, normal):
    light = normalised(LIGHT)
    top = 0.42 + 0.58 * light[1]
    factor = (0.42 + 0.58 * max(0.0, dot(normal, light))) / top
    return tuple(min(255, int(round(c * factor))) for c in colour)


class Model:
    """One vertex array, one triangle list, one colour per vertex."""

    def __init__(self, name, colour):
        self.name = name
        self.colour = colour  # whole-model colour, used only if the vertex colours are off
        self.vertices = []
        self.colours = []
        self.indices = []

    def face(self, points, colour, inside=None, shaded=True):
        """A flat convex polygon. inside: a point the face must turn away from."""
        normal = newell_normal(points)
        if inside is not None:
            centre = tuple(sum(p[k] for p in points) / len(points) for k in range(3))
            if dot(normal, sub(centre, inside)) < 0:
                points = list(reversed(points))
                normal = (-normal[0], -normal[1], -normal[2])
        if normal[1] < -0.95:
            return
        rgb = shade(colour, normal) if shaded else colour
        first = len(self.vertices)
        for p in points:
            self.vertices.append(p)
            self.colours.append(rgb + (255,))
        for k in range(1, len(points) - 1):
            self.indices += [first, first + k, first + k + 1]

    def box(self, x0, x1, y0, y1, z0, z1, colour, overrides=None):
        """An axis-aligned box; overrides maps a side name (+x, -x, +y, +z, -z) to a colour."""
        overrides = overrides or {}
        centre = ((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2)
        sides = {
            "+y": [(x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0)],
            "+x": [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)],
            "-x": [(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)],
            "+z": [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)],
            "-z": [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)],
        }
        for side, points in sides.items():
            self.face(points, overrides.get(side, colour), centre)

    def prism_x(self, profile, x0, x1, colour, overrides=None):
        """A convex profile of (z, y) points extruded along x; overrides by edge number."""
        overrides = overrides or {}
        cz = sum(p[0] for p in profile) / len(profile)
        cy = sum(p[1] for p in profile) / len(profile)
        centre = ((x0 + x1) / 2, cy, cz)
        self.face([(x0, y, z) for z, y in profile], colour, centre)
        self.face([(x1, y, z) for z, y in profile], colour, centre)
        for k, (z, y) in enumerate(profile):
            nz, ny = profile[(k + 1) % len(profile)]
            quad = [(x0, y, z), (x0, ny, nz), (x1, ny, nz), (x1, y, z)]
            self.face(quad, overrides.get(k, colour), centre)

    def frustum(self, base, axis, r0, r1, length, sides, colour, cap=None, phase=0.0):
        """A cylinder (r1 == r0) or cone (r1 == 0) from base along axis 'x', 'y' or 'z'."""

        def point(radius, along, angle):
            a, b = radius * math.cos(angle), radius * math.sin(angle)
            if axis == "y":
                return (base[0] + a, base[1] + along, base[2] + b)
            if axis == "z":
                return (base[0] + a, base[1] + b, base[2] + along)
            return (base[0] + along, base[1] + a, base[2] + b)

        centre = point(0.0, length / 2, 0.0)
        angles = [phase + 2 * math.pi * k / sides for k in range(sides)]
        for k in range(sides):
            a, b = angles[k], angles[(k + 1) % sides]
            if r1 == 0:
                self.face([point(r0, 0, a), point(r0, 0, b), point(0, length, 0)], colour, centre)
            else:
                quad = [point(r0, 0, a), point(r0, 0, b), point(r1, length, b), point(r1, length, a)]
                self.face(quad, colour, centre)
        if r1 != 0:
            self.face([point(r1, length, a) for a in angles], cap or colour, centre)
        self.face([point(r0, 0, a) for a in angles], cap or colour, centre)

    def blob(self, centre, radii, rings, segments, colour, jitter=0.0, seed=0):
        """A low-poly ellipsoid, optionally roughened; every triangle keeps its own shade."""
        rng = random.Random(seed)
        grid = []
        for i in range(rings + 1):
            polar = math.pi * i / rings
            row = []
            for k in range(segments):
                azimuth = 2 * math.pi * k / segments
                scale = 1.0 + (rng.uniform(-jitter, jitter) if 0 < i < rings else 0.0)
                row.append((
                    centre[0] + radii[0] * scale * math.sin(polar) * math.cos(azimuth),
                    centre[1] + radii[1] * scale * math.cos(polar),
                    centre[2] + radii[2] * scale * math.sin(polar) * math.sin(azimuth)))
            grid.append(row)
        for i in range(rings):
            for k in range(segments):
                a, b = grid[i][k], grid[i][(k + 1) % segments]
                c, d = grid[i + 1][(k + 1) % segments], grid[i + 1][k]
                if i > 0:
                    self.face([a, b, d], colour, centre)
                if i < rings - 1:
                    self.face([b, c, d], colour, centre)

    def ring(self, inner, outer, y, segments, colour):
        for k in range(segments):
            a = 2 * math.pi * k / segments
            b = 2 * math.pi * (k + 1) / segments
            quad = [(inner * math.cos(a), y, inner * math.sin(a)),
                    (inner * math.cos(b), y, inner * math.sin(b)),
                    (outer * math.cos(b), y, outer * math.sin(b)),
                    (outer * math.cos(a), y, outer * math.sin(a))]
            self.face(quad, colour, (0.0, y - 1.0, 0.0), shaded=False)

    def text(self):
        lines = [f"v {len(self.vertices)}"]
        lines += [" ".join(fmt(c) for c in v) for v in self.vertices]
        lines.append("o")
        lines += [" ".join(str(c) for c in rgba) for rgba in self.colours]
        lines.append(f"i {len(self.indices)}")
        for k in range(0, len(self.indices), 3):
            lines.append(" ".join(str(i) for i in self.indices[k:k + 3]))
        lines.append(f"p {TRIANGLES}")
        lines.append("c " + " ".join(fmt(c / 255) for c in self.colour) + " 1")
        lines.append("x")
        return "\n".join(lines) + "\n"


class FlatModel:
    """A single-coloured model; with alpha below 1 the program adds it onto what lies behind."""

    def __init__(self, name, rgba, points):
        self.name = name
        self.rgba = rgba
        self.points = points  # a convex polygon, drawn as a fan

    def text(self):
        lines = [f"v {len(self.points)}"]
        lines += [" ".join(fmt(c) for c in p) for p in self.points]
        fan = []
        for k in range(1, len(self.points) - 1):
            fan.append(f"0 {k} {k + 1}")
        lines.append(f"i {3 * len(fan)}")
        lines += fan
        lines.append(f"p {TRIANGLES}")
        lines.append("c " + " ".join(fmt(c) for c in self.rgba))
        lines.append("x")
        return "\n".join(lines) + "\n"


# Colours, 0..255.
STEEL = (92, 108, 140)
STEEL_LIGHT = (118, 134, 166)
TRACK = (46, 44, 42)
GUNMETAL = (58, 60, 66)
SAND = (214, 150, 64)
SAND_DARK = (168, 112, 44)
GLASS = (60, 90, 130)
TYRE = (34, 34, 34)
RED = (220, 40, 30)
OLIVE = (120, 116, 70)
WALL_WHITE = (226, 214, 188)
ROOF_RED = (168, 58, 40)
DOOR = (90, 56, 30)
BARN_RED = (150, 44, 36)
ROOF_GREY = (110, 110, 116)
CONCRETE = (186, 186, 180)
BARK = (104, 70, 40)
PINE = (22, 92, 44)
LEAF = (70, 130, 30)
STONE = (132, 128, 122)
CRATE = (176, 128, 70)
YELLOW = (255, 230, 0)


def tank_models():
    hull = Model("tank_hull", STEEL)
    for x0, x1 in ((-0.56, -0.34), (0.34, 0.56)):
        hull.prism_x([(-0.8, 0.04), (0.8, 0.04), (0.72, 0.3), (-0.76, 0.3)], x0, x1, TRACK)
    hull.prism_x([(-0.74, 0.12), (0.56, 0.12), (0.78, 0.3), (0.5, 0.46), (-0.74, 0.46)],
                 -0.36, 0.36, STEEL)
    turret = Model("tank_turret", STEEL_LIGHT)
    turret.frustum((0, 0, 0), "y", 0.36, 0.28, 0.24, 8, STEEL_LIGHT, phase=math.pi / 8)
    turret.box(-0.05, 0.05, 0.24, 0.3, -0.2, -0.1, GUNMETAL)
    barrel = Model("tank_barrel", GUNMETAL)
    barrel.frustum((0, 0, 0), "z", 0.07, 0.07, 0.2, 6, GUNMETAL)
    barrel.frustum((0, 0, 0.2), "z", 0.05, 0.05, 0.72, 6, GUNMETAL)
    return [hull, turret, barrel]


def scout_models():
    body = Model("scout_body", SAND)
    body.prism_x([(-0.72, 0.2), (0.66, 0.2), (0.76, 0.34), (0.7, 0.44), (-0.72, 0.44)],
                 -0.4, 0.4, SAND)
    cabin = Model("scout_cabin", SAND)
    cabin.prism_x([(-0.3, 0.0), (0.36, 0.0), (0.16, 0.3), (-0.3, 0.3)], -0.34, 0.34, SAND,
                  overrides={1: GLASS})
    wheels = Model("scout_wheels", TYRE)
    for x in (-0.5, 0.38):
        for z in (-0.45, 0.45):
            wheels.frustum((x, 0.2, z), "x", 0.2, 0.2, 0.12, 8, TYRE, cap=(70, 70, 70))
    antenna = Model("scout_antenna", GUNMETAL)
    antenna.box(-0.02, 0.02, 0.0, 0.62, -0.02, 0.02, GUNMETAL)
    antenna.box(-0.05, 0.05, 0.62, 0.7, -0.05, 0.05, RED)
    return [antenna, body, cabin, wheels]


def launcher_models():
    chassis = Model("launcher_chassis", OLIVE)
    for x0, x1 in ((-0.56, -0.36), (0.36, 0.56)):
        chassis.prism_x([(-0.8, 0.04), (0.8, 0.04), (0.74, 0.26), (-0.76, 0.26)], x0, x1, TRACK)
    chassis.box(-0.38, 0.38, 0.1, 0.38, -0.78, 0.5, OLIVE)
    chassis.prism_x([(0.5, 0.1), (0.78, 0.1), (0.78, 0.3), (0.5, 0.62)], -0.38, 0.38, OLIVE,
                    overrides={2: GLASS})
    rack = Model("launcher_rack", (96, 92, 56))
    rack.box(-0.3, 0.3, 0.0, 0.3, -0.5, 0.5, (96, 92, 56))
    for x in (-0.15, 0.15):
        for y in (0.08, 0.22):
            rack.frustum((x, y, 0.5), "z", 0.055, 0.055, 0.04, 6, RED)
    return [chassis, rack]


def selector_model():
    marker = Model("SELECTOR", YELLOW)
    marker.ring(1.0, 1.15, 0.06, 24, YELLOW)
    for k in range(4):
        angle = math.pi / 4 + k * math.pi / 2
        c, s = math.cos(angle), math.sin(angle)
        tick = [(c * 1.15 - s * 0.12, 0.07, s * 1.15 + c * 0.12),
                (c * 1.15 + s * 0.12, 0.07, s * 1.15 - c * 0.12),
                (c * 1.4, 0.07, s * 1.4)]
        marker.face(tick, (255, 170, 0), (0, -1, 0), shaded=False)
    return marker


def house_model():
    house = Model("house", WALL_WHITE)
    house.box(-1.1, 1.1, 0.0, 1.2, -0.8, 0.8, WALL_WHITE)
    house.prism_x([(-0.95, 1.2), (0.95, 1.2), (0.0, 2.0)], -1.25, 1.25, ROOF_RED,
                  overrides={0: (150, 140, 120)})
    house.box(-0.25, 0.25, 0.0, 0.8, -0.84, -0.8, DOOR)
    for x in (-0.75, 0.45):
        house.box(x, x + 0.3, 0.5, 0.85, -0.84, -0.8, GLASS)
    house.box(0.5, 0.8, 1.4, 2.1, 0.1, 0.4, (120, 60, 50))
    return house


def barn_model():
    barn = Model("barn", BARN_RED)
    barn.box(-1.4, 1.4, 0.0, 1.5, -1.0, 1.0, BARN_RED)
    barn.prism_x([(-1.1, 1.5), (1.1, 1.5), (0.0, 2.2)], -1.45, 1.45, ROOF_GREY,
                 overrides={0: (120, 40, 32)})
    barn.box(-0.5, 0.5, 0.0, 1.1, -1.04, -1.0, (230, 220, 200))
    return barn


def silo_model():
    silo = Model("silo", CONCRETE)
    silo.frustum((0, 0, 0), "y", 0.7, 0.7, 3.2, 12, CONCRETE)
    silo.frustum((0, 3.2, 0), "y", 0.75, 0.0, 0.7, 12, (90, 110, 130))
    return silo


def pine_model():
    pine = Model("tree_pine", PINE)
    pine.frustum((0, 0, 0), "y", 0.14, 0.14, 0.7, 6, BARK)
    pine.frustum((0, 0.5, 0), "y", 0.85, 0.0, 1.5, 8, PINE)
    pine.frustum((0, 1.3, 0), "y", 0.6, 0.0, 1.3, 8, (30, 110, 52))
    return pine


def round_tree_model():
    tree = Model("tree_round", LEAF)
    tree.frustum((0, 0, 0), "y", 0.15, 0.12, 1.1, 6, BARK)
    tree.blob((0, 1.7, 0), (0.9, 0.8, 0.9), 4, 8, LEAF, jitter=0.12, seed=7)
    return tree


def rock_model():
    rock = Model("rock", STONE)
    rock.blob((0, 0.2, 0), (0.8, 0.55, 0.65), 4, 7, STONE, jitter=0.22, seed=3)
    rock.blob((0.55, 0.05, 0.35), (0.35, 0.3, 0.3), 3, 5, (118, 114, 110), jitter=0.2, seed=5)
    return rock


def wall_model():
    wall = Model("wall", STONE)
    wall.box(-1.0, 1.0, 0.0, 0.7, -0.15, 0.15, STONE)
    wall.box(-1.04, 1.04, 0.7, 0.8, -0.2, 0.2, (112, 108, 104))
    return wall


def crates_model():
    crates = Model("crates", CRATE)
    crates.box(-0.6, 0.0, 0.0, 0.6, -0.3, 0.3, CRATE)
    crates.box(0.05, 0.55, 0.0, 0.5, -0.35, 0.15, (160, 112, 60))
    crates.box(-0.45, 0.05, 0.6, 1.1, -0.25, 0.25, (190, 140, 80))
    return crates


SHADOW = (20, 122, 42)  # the field's green in shade


def cut_rectangle(half_x, half_z, cut, y):
    """A rectangle with its corners cut off, as a flat outline."""
    return [(half_x - cut, y, -half_z), (half_x, y, -half_z + cut), (half_x, y, half_z - cut),
            (half_x - cut, y, half_z), (-half_x + cut, y, half_z), (-half_x, y, half_z - cut),
            (-half_x, y, -half_z + cut), (-half_x + cut, y, -half_z)]


def shadow_models():
    """Dark patches of field under the scenery and the vehicles."""
    shapes = {"shadow_house": cut_rectangle(1.45, 1.15, 0.35, 0.012),
              "shadow_barn": cut_rectangle(1.75, 1.35, 0.4, 0.012),
              "shadow_wall": cut_rectangle(1.2, 0.38, 0.15, 0.012),
              "shadow_vehicle": cut_rectangle(0.68, 0.95, 0.25, 0.012),
              "shadow_round": [(1.0 * math.cos(2 * math.pi * k / 12), 0.012,
                                1.0 * math.sin(2 * math.pi * k / 12)) for k in range(12)]}
    models = []
    for name, outline in shapes.items():
        shadow = Model(name, SHADOW)
        shadow.face(outline, SHADOW, (0, -1, 0), shaded=False)
        models.append(shadow)
    return models


def reeds_model():
    reeds = Model("reeds", (96, 128, 44))
    rng = random.Random(11)
    for clump in (0.5, 2.6, 4.4):
        cx, cz = 2.0 * math.cos(clump), 1.45 * math.sin(clump)
        for _ in range(5):
            x, z = cx + rng.uniform(-0.3, 0.3), cz + rng.uniform(-0.3, 0.3)
            height = rng.uniform(0.5, 0.9)
            reeds.frustum((x, 0, z), "y", 0.05, 0.0, height, 3, (96, 128, 44))
            reeds.box(x - 0.03, x + 0.03, height * 0.6, height * 0.6 + 0.16, z - 0.03, z + 0.03,
                      (120, 80, 40))
    return reeds


def pond_model():
    outline = [(2.2 * math.cos(2 * math.pi * k / 16), 0.02, 1.6 * math.sin(2 * math.pi * k / 16))
               for k in range(16)]
    return FlatModel("pond", (0.0, 0.12, 0.5, 0.5), outline)


def all_models():
    return (tank_models() + scout_models() + launcher_models() + [selector_model()]
            + [house_model(), barn_model(), silo_model(), pine_model(), round_tree_model(),
               rock_model(), wall_model(), crates_model(), reeds_model(), pond_model()]
            + shadow_models())


# Unit files: every part sets its model, offset and angles, so nothing carries over by accident.
UNITS = {
    "tank": [("hull", "tank_hull", (0, 0, 0), (0, 0, 0)),
             ("turret", "tank_turret", (0, 0.46, -0.12), (0, 0, 0)),
             ("barrel", "tank_barrel", (0, 0.58, 0.1), (0, 0, 0)),
             ("shadow", "shadow_vehicle", (0, 0, 0), (0, 0, 0))],
    "scout": [("body", "scout_body", (0, 0, 0), (0, 0, 0)),
              ("cabin", "scout_cabin", (0, 0.44, 0.1), (0, 0, 0)),
              ("wheels", "scout_wheels", (0, 0, 0), (0, 0, 0)),
              ("antenna", "scout_antenna", (0.26, 0.44, -0.58), (0, 0, 0)),
              ("shadow", "shadow_vehicle", (0, 0, 0), (0, 0, 0))],
    "launcher": [("chassis", "launcher_chassis", (0, 0, 0), (0, 0, 0)),
                 ("rack", "launcher_rack", (0, 0.44, -0.2), (-24, 0, 0)),
                 ("shadow", "shadow_vehicle", (0, 0, 0), (0, 0, 0))],
}


def unit_text(parts):
    lines = []
    for part, model, offset, angles in parts:
        lines.append(f"m {model}")
        lines.append("p " + " ".join(fmt(c) for c in offset))
        lines.append("o " + " ".join(fmt(c) for c in angles))
        lines.append(f"a {part}")
    lines.append("x")
    return "\n".join(lines) + "\n"


def digest(data):
    return hashlib.sha256(data).hexdigest()


def read_manifest():
    recorded = {}
    try:
        with open(os.path.join(DATA, MANIFEST), encoding="utf-8") as lines:
            for line in lines:
                # A line cut short (a record written in place by an older version of this
                # script onto a full disk) records nothing.
                if "  " in line and not line.startswith("#"):
                    sha, relative = line.rstrip("\n").split("  ", 1)
                    recorded[relative] = sha
    except FileNotFoundError:
        pass
    return recorded


def manifest_text(entries):
    return MANIFEST_HEADER + "".join(f"{sha}  {relative}\n"
                                     for relative, sha in sorted(entries.items()))


def current_bytes(path):
    """The file's bytes; None when there is no regular file."""
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as existing:
        return existing.read()


def hand_text(relative):
    """A hand-made file's text, empty when it is missing; bytes that are no UTF-8 pass as
    they are."""
    data = current_bytes(os.path.join(DATA, relative))
    return "" if data is None else data.decode("utf-8", "surrogateescape")


def generated_files():
    """(path under data/, bytes) of every file this script owns, in writing order."""
    models = all_models()
    files = [(f"models/{model.name}.mdl", model.text()) for model in models]
    files.append(("models.lst", "".join(f"{m.name} models/{m.name}.mdl\n" for m in models)))
    files += [(f"units/{name}.unit", unit_text(parts)) for name, parts in UNITS.items()]
    hand_lists = [HAND_MODELS] if os.path.isfile(os.path.join(DATA, HAND_MODELS)) else []
    files.append(("wdf/test.wdf", scene_text(hand_lists, hand_text(HAND_SCENE))))
    return [(relative, text.encode("utf-8", "surrogateescape")) for relative, text in files]


def file_mode(path):
    """The old file's permissions, or those a new file gets under the umask."""
    try:
        return os.stat(path).st_mode & 0o7777
    except FileNotFoundError:
        umask = os.umask(0)
        os.umask(umask)
        return 0o666 & ~umask


def replace_whole(path, data):
    """Writes data to path whole or not at all: into a temporary file in the same folder,
    flushed to the disk, then renamed over the old file. On failure the temporary file is
    removed and the old file is as it was."""
    folder = os.path.dirname(path)
    os.makedirs(folder, exist_ok=True)
    mode = file_mode(path)
    descriptor, temporary = tempfile.mkstemp(prefix=f".{os.path.basename(path)}.", suffix=".tmp",
                                             dir=folder)
    try:
        os.fchmod(descriptor, mode)
        rest = memoryview(data)
        while rest:
            rest = rest[os.write(descriptor, rest):]
        os.fsync(descriptor)
        os.close(descriptor)
        descriptor = -1
        os.replace(temporary, path)
    except BaseException:
        if descriptor >= 0:
            os.close(descriptor)
        try:
            os.unlink(temporary)
        except OSError:
            pass
        raise


def shown(relative):
    return os.path.relpath(os.path.join(DATA, relative), ROOT)


def failure(relative, doing, error):
    reason = error.strerror or str(error)
    after = "; the file is as it was" if doing == "write" else ""
    print(f"make_models.py: cannot {doing} {shown(relative)}: {reason}{after}", file=sys.stderr)


def main(argv):
    parser = argparse.ArgumentParser(description="Writes zelmor's models, model list, unit "
                                     "files and scene under data/.")
    parser.add_argument("--force", action="store_true",
                        help="also overwrite files changed by hand or not written by this script")
    force = parser.parse_args(argv).force

    recorded = read_manifest()
    try:
        files = generated_files()
    except OSError as error:
        failure(HAND_SCENE, "read", error)
        return 1
    # Until a file is written whole, the record keeps what it held for it.
    manifest = dict(recorded)
    unchanged = 0
    written = 0
    kept = []
    failed = False
    for relative, data in files:
        try:
            current = current_bytes(os.path.join(DATA, relative))
        except OSError as error:
            failure(relative, "read", error)
            failed = True
            break
        if current == data:
            manifest[relative] = digest(data)
            unchanged += 1
            continue
        if current is not None and not force and recorded.get(relative) != digest(current):
            why = ("changed by hand since this script wrote it" if relative in recorded
                   else "not written by this script")
            print(f"kept {shown(relative)}: {why} (hand-made content belongs under data/mine/; "
                  "--force overwrites it)")
            kept.append(relative)
            continue
        try:
            replace_whole(os.path.join(DATA, relative), data)
        except OSError as error:
            # A full disk fails every later file too: stop here, and record what was written.
            failure(relative, "write", error)
            failed = True
            break
        manifest[relative] = digest(data)
        written += 1
        print(f"wrote {shown(relative)}")
    if not failed:
        for relative in sorted(set(recorded) - {relative for relative, _ in files}):
            print(f"no longer generated, left in place: {shown(relative)}")
            del manifest[relative]
    text = manifest_text(manifest).encode("utf-8")
    try:
        if current_bytes(os.path.join(DATA, MANIFEST)) != text:
            replace_whole(os.path.join(DATA, MANIFEST), text)
    except OSError as error:
        failure(MANIFEST, "write", error)
        failed = True
    print(f"make_models.py: {written} written, {unchanged} unchanged, {len(kept)} kept"
          + ("; stopped by an error" if failed else ""))
    return 1 if kept or failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
