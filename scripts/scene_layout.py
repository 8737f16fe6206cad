"""The layout of the demo scene data/wdf/test.wdf, used by make_models.py.

The camera looks diagonally along +x +z, the direction in which the program's scroll keys move
it, so the hand-placed parts are written in screen-aligned ground coordinates: u to the right
of the screen, v away from the viewer, both measured from the point the camera looks at.
"""

import math
import random

CENTRE = (-5.0, -5.0)  # the ground point in the middle of the first view
EYE_HEIGHT = 13.0
LOOK = (9.0, -13.0, 9.0)  # eye to the point looked at
EYE = (CENTRE[0] - LOOK[0], EYE_HEIGHT, CENTRE[1] - LOOK[2])
LENS = (60.0, 0.5, 100.0)  # field of view in degrees, near and far distance
LIGHT = (-10.0, 40.0, -20.0)

SCATTER_AREA = (-48.0, 42.0)  # x and z range of the scattered trees and rocks
SCATTER_SEED = 1


def ground(u, v):
    """World x, z of a screen-aligned ground point."""
    s = math.sqrt(0.5)
    return (CENTRE[0] + (v - u) * s, CENTRE[1] + (v + u) * s)


def heading(screen_degrees):
    """A heading for a direction on the first view: 0 is up the screen, 90 to the right."""
    return (45.0 - screen_degrees) % 360.0


def unit_groups():
    """(unit file, u, v, screen direction) of every unit, in three groups."""
    units = []
    for row, v in enumerate((0.0, -3.0)):  # six tanks, lower left, facing up the screen
        for u in (-9.0, -6.0, -3.0):
            units.append(("tank", u + 1.5 * row, v, 0.0))
    for k, (u, v) in enumerate(((3.0, 1.0), (5.5, 0.0), (8.0, -1.0), (10.5, -2.0))):
        units.append(("scout", u, v, -30.0))  # four scouts, lower right, facing up-left
    units.append(("launcher", 5.0, -3.5, -30.0))
    units.append(("launcher", 8.5, -4.5, -30.0))
    for u, v, kind in ((-2.0, 13.0, "tank"), (1.0, 13.0, "tank"), (-0.5, 16.0, "scout"),
                       (2.5, 16.0, "launcher")):
        units.append((kind, u, v, 180.0))  # a patrol further up, facing down the screen
    return units


def placed_statics():
    """(model, u, v, screen direction of the model's front) of the hand-placed scenery."""
    village = [("house", 12.0, 12.0, 0.0), ("house", 16.0, 13.0, 20.0),
               ("house", 13.0, 17.0, -20.0), ("house", 18.0, 18.5, 40.0),
               ("barn", 20.0, 9.0, -70.0), ("silo", 22.5, 12.5, 0.0),
               ("crates", 15.0, 9.5, 30.0), ("crates", 9.5, 15.5, 80.0),
               ("house", -19.0, 22.0, -60.0), ("house", -23.0, 26.0, -30.0),
               ("barn", 4.0, 28.0, 10.0), ("silo", 7.0, 29.5, 0.0)]
    ponds = [("pond", -13.0, 6.0, 20.0), ("pond", 24.0, 30.0, 70.0), ("pond", -30.0, -4.0, 0.0)]
    walls = [("wall", -15.0 + 2.0 * k, -8.0, 0.0) for k in range(5)]
    walls += [("wall", 14.0, 5.0 + 2.0 * k, 90.0) for k in range(3)]
    rocks = [("rock", -1.0, 5.0, 10.0), ("rock", 3.5, 8.0, 100.0), ("rock", -7.0, 9.5, 200.0)]
    return village + ponds + walls + rocks


def keeps_clear(x, z, taken, clearance):
    return all((x - tx) ** 2 + (z - tz) ** 2 >= clearance ** 2 for tx, tz in taken)


def in_battlefield(x, z):
    """The open ground where the first view's units drive; scattered scenery stays out."""
    u = (-(x - CENTRE[0]) + (z - CENTRE[1])) * math.sqrt(0.5)
    v = ((x - CENTRE[0]) + (z - CENTRE[1])) * math.sqrt(0.5)
    return -12.0 < u < 13.0 and -8.0 < v < 19.0


def scattered(taken, units):
    """Trees and rocks over and beyond the terrain, away from units, buildings and each other."""
    rng = random.Random(SCATTER_SEED)
    wanted = {"tree_pine": 30, "tree_round": 18, "rock": 8}
    result = []
    for model, count in wanted.items():
        placed = 0
        while placed < count:
            x = rng.uniform(*SCATTER_AREA)
            z = rng.uniform(*SCATTER_AREA)
            angle = rng.choice((0.0, 40.0, 90.0, 130.0, 200.0, 290.0))
            if in_battlefield(x, z):
                continue
            if not keeps_clear(x, z, units, 4.0) or not keeps_clear(x, z, taken, 2.6):
                continue
            taken.append((x, z))
            result.append((model, x, z, angle))
            placed += 1
    return result


def interleaved(objects):
    """Orders the objects so that no two neighbours share a model: the program skips the
    set-up of a mesh drawn right after itself."""
    groups = {}
    for obj in objects:
        groups.setdefault(obj[0], []).append(obj)
    ordered, last = [], None
    while groups:
        choices = sorted((m for m in groups if m != last), key=lambda m: (-len(groups[m]), m))
        model = choices[0] if choices else last
        ordered.append(groups[model].pop(0))
        if not groups[model]:
            del groups[model]
        last = model
    return ordered


def fmt(value):
    text = f"{value:.3f}".rstrip("0").rstrip(".")
    return "0" if text in ("", "-0") else text


def triple(letter, values):
    return f"{letter} " + " ".join(fmt(v) for v in values)


def layout():
    """The units and static objects as (kind or model, x, z, heading) in world terms."""
    units = []
    for kind, u, v, direction in unit_groups():
        x, z = ground(u, v)
        units.append((kind, x, z, heading(direction)))
    statics = []
    for model, u, v, direction in placed_statics():
        x, z = ground(u, v)
        statics.append((model, x, z, heading(direction)))
    taken = [(x, z) for _, x, z, _ in statics]
    statics += scattered(taken, [(x, z) for _, x, z, _ in units])
    return units, interleaved(statics)


def scene_text():
    units, statics = layout()
    lines = ["m models.lst"]
    for model, x, z, angle in statics:
        lines += [triple("p", (x, 0.0, z)), triple("o", (0.0, angle, 0.0)), f"b {model}"]
    for kind, x, z, angle in units:
        lines += [triple("p", (x, 0.0, z)), triple("o", (0.0, angle, 0.0)),
                  f"u units/{kind}.unit"]
    lines += [triple("p", EYE), triple("o", LOOK), triple("c", LENS)]
    lines += [triple("p", LIGHT), "l", "x"]
    return "\n".join(lines) + "\n"
