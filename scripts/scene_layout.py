"""The layout of the demo scene data/wdf/test.wdf, used by make_models.py.

make_models.py writes the scene only while it still holds what the script last wrote: once
the scene is edited by hand it is kept (and named) unless make_models.py is run with --force.
Hand-made scene lines belong in data/mine/scene.wdf, which make_models.py copies into the end
of the scene on every run.

The camera looks diagonally along +x +z, the direction in which the program's scroll keys move
it, so the hand-placed parts are written in screen-aligned ground coordinates: u to the right
of the screen, v away from the viewer, both measured from ORIGIN.

Every piece of scenery is written as a pair at one position: first what lies on the ground under
it (a shadow, or the water of a pond), then the object itself (the reeds of a pond). The program
culls by position, so a pair is always drawn whole or not at all, and two objects of one model
are never drawn one right after the other: the program skips the colour set-up of a mesh drawn
right after itself, which would cost the second one its shading.
"""

import math
import random

ORIGIN = (-5.0, -5.0)  # world x, z of u = v = 0
EYE = (-12.5, 11.0, -12.5)
LOOK = (8.0, -11.0, 8.0)  # eye to the point looked at: (-4.5, 0, -4.5), about u = 0, v = 1
LENS = (60.0, 0.5, 100.0)  # field of view in degrees, near and far distance
LIGHT = (-10.0, 40.0, -20.0)

SCATTER_AREA = (-48.0, 42.0)  # x and z range of the lone trees and rocks
SCATTER_SEED = 1

# What lies under each model; the pond's water lies under its reeds.
GROUND_COVER = {
    "tree_pine": "shadow_round", "tree_round": "shadow_round", "rock": "shadow_round",
    "silo": "shadow_round", "crates": "shadow_round", "house": "shadow_house",
    "barn": "shadow_barn", "wall": "shadow_wall", "reeds": "pond",
}


def ground(u, v):
    """World x, z of a screen-aligned ground point."""
    s = math.sqrt(0.5)
    return (ORIGIN[0] + (v - u) * s, ORIGIN[1] + (v + u) * s)


def screen(x, z):
    """The screen-aligned u, v of a world ground point."""
    s = math.sqrt(0.5)
    dx, dz = x - ORIGIN[0], z - ORIGIN[1]
    return ((dz - dx) * s, (dx + dz) * s)


def heading(screen_degrees):
    """A heading for a direction on the first view: 0 is up the screen, 90 to the right."""
    return (45.0 - screen_degrees) % 360.0


def unit_groups():
    """(unit file, u, v, screen direction) of every unit, in three groups."""
    units = []
    for row, v in enumerate((-1.5, -4.5)):  # six tanks, lower left, facing up the screen
        for u in (-9.0, -6.0, -3.0):
            units.append(("tank", u + 1.5 * row, v, 0.0))
    for u, v in ((3.0, 0.0), (5.5, -1.0), (8.0, -2.0), (10.5, -3.0)):
        units.append(("scout", u, v, -30.0))  # four scouts, lower right, facing up-left
    units.append(("launcher", 4.5, -4.0, -30.0))
    units.append(("launcher", 7.5, -5.0, -30.0))
    for u, v, kind in ((-2.0, 13.0, "tank"), (1.0, 13.0, "tank"), (-0.5, 16.0, "scout"),
                       (2.5, 16.0, "launcher")):
        units.append((kind, u, v, 180.0))  # a patrol further up, facing down the screen
    return units


def placed_statics():
    """(model, u, v, screen direction of the model's +z side) of the hand-placed scenery."""
    village = [("house", 12.0, 12.0, 0.0), ("house", 16.0, 13.0, 20.0),
               ("house", 13.0, 17.0, -20.0), ("house", 18.0, 18.5, 40.0),
               ("barn", 20.0, 9.0, -70.0), ("silo", 22.5, 12.5, 0.0),
               ("crates", 15.0, 9.5, 30.0), ("crates", 9.5, 15.5, 80.0),
               ("house", -19.0, 22.0, -60.0), ("house", -23.0, 26.0, -30.0),
               ("barn", 4.0, 28.0, 10.0), ("silo", 7.0, 29.5, 0.0)]
    ponds = [("reeds", -13.0, 6.0, 20.0), ("reeds", 24.0, 30.0, 70.0),
             ("reeds", -30.0, -4.0, 0.0)]
    walls = [("wall", -7.0 + 2.0 * k, -7.0, 0.0) for k in range(3)]
    walls += [("wall", 14.0, 5.0 + 2.0 * k, 90.0) for k in range(3)]
    rocks = [("rock", 4.5, 8.0, 100.0), ("rock", -9.0, 10.0, 200.0),
             ("rock", 2.5, -7.0, 60.0)]
    props = [("crates", 0.0, -6.5, 10.0), ("tree_round", -11.0, -6.0, 0.0),
             ("tree_pine", 12.5, -6.5, 0.0), ("tree_pine", -16.5, 1.5, 0.0)]
    return village + ponds + walls + rocks + props


# Woods as (u, v, spread, pines, round trees), then lone trees and rocks all over.
WOODS = [(-17.0, 13.0, 4.0, 7, 3), (-28.0, 0.0, 5.0, 8, 4), (24.0, -6.0, 4.5, 5, 5),
         (-4.0, 34.0, 6.0, 8, 4), (30.0, 26.0, 5.0, 4, 4)]
LONE_TREES = 16
LONE_ROCKS = 8


# How far scattered scenery keeps from the centre of each kind of object.
CLEARANCE = {"reeds": 3.6, "house": 2.8, "barn": 3.2, "silo": 2.4, "wall": 2.4}


def keeps_clear(x, z, taken, clearance):
    """taken holds (x, z, model); clearance is the least distance, or None for the model's."""
    return all((x - tx) ** 2 + (z - tz) ** 2 >= (clearance or CLEARANCE.get(m, 2.2)) ** 2
               for tx, tz, m in taken)


def in_battlefield(x, z):
    """The open ground where the first view's units drive; scattered scenery stays out."""
    u, v = screen(x, z)
    return -11.0 < u < 12.0 and -7.0 < v < 17.0


def scattered(taken, units):
    """Woods, lone trees and rocks over and beyond the terrain, away from the open battlefield,
    the units, the buildings and each other."""
    rng = random.Random(SCATTER_SEED)
    result = []

    def place(model, pick):
        for _ in range(200):
            x, z = pick()
            if in_battlefield(x, z):
                continue
            if not keeps_clear(x, z, units, 4.0) or not keeps_clear(x, z, taken, None):
                continue
            taken.append((x, z, model))
            result.append((model, x, z, rng.choice((0.0, 40.0, 90.0, 130.0, 200.0, 290.0))))
            return

    for u, v, spread, pines, rounds in WOODS:
        def near():
            return ground(u + rng.uniform(-spread, spread), v + rng.uniform(-spread, spread))
        for _ in range(pines):
            place("tree_pine", near)
        for _ in range(rounds):
            place("tree_round", near)

    def anywhere():
        return rng.uniform(*SCATTER_AREA), rng.uniform(*SCATTER_AREA)
    for k in range(LONE_TREES):
        place("tree_round" if k % 3 == 0 else "tree_pine", anywhere)
    for _ in range(LONE_ROCKS):
        place("rock", anywhere)
    return result


def in_bands(objects):
    """Near to far across the first view, serpentine, so the file reads like the map."""

    def key(obj):
        u, v = screen(obj[1], obj[2])
        band = math.floor(v / 8.0)
        return band, u if band % 2 == 0 else -u

    return sorted(objects, key=key)


def layout():
    """The units and the scenery as (kind or model, x, z, heading) in world terms."""
    units = []
    for kind, u, v, direction in unit_groups():
        x, z = ground(u, v)
        units.append((kind, x, z, heading(direction)))
    scenery = []
    for model, u, v, direction in placed_statics():
        x, z = ground(u, v)
        scenery.append((model, x, z, heading(direction)))
    taken = [(x, z, model) for model, x, z, _ in scenery]
    scenery += scattered(taken, [(x, z, kind) for kind, x, z, _ in units])
    return units, in_bands(scenery)


def fmt(value):
    text = f"{value:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def triple(letter, values):
    return f"{letter} " + " ".join(fmt(v) for v in values)


def scene_text(hand_lists=(), hand_lines=""):
    """The generated scene. hand_lists are model lists loaded after the generated one, before
    anything is placed; hand_lines (text) follow the light, read from the position and
    orientation (0, 0, 0), before the end record."""
    units, scenery = layout()
    lines = ["m models.lst"] + [f"m {path}" for path in hand_lists]
    for model, x, z, angle in scenery:
        lines += [triple("p", (x, 0.0, z)), triple("o", (0.0, angle, 0.0)),
                  f"b {GROUND_COVER[model]}", f"b {model}"]
    for kind, x, z, angle in units:
        lines += [triple("p", (x, 0.0, z)), triple("o", (0.0, angle, 0.0)),
                  f"u units/{kind}.unit"]
    lines += [triple("p", EYE), triple("o", LOOK), triple("c", LENS)]
    lines += [triple("p", LIGHT), "l"]
    if hand_lines.strip():
        lines += ["p 0 0 0", "o 0 0 0", hand_lines.rstrip("\n")]
    lines.append("x")
    return "\n".join(lines) + "\n"
