#!/usr/bin/env bash
# Drives a running zelmor window on $DISPLAY through a short tour of the bundled scene with
# xdotool and saves numbered screenshots into the folder given as the first argument. Ends the
# program with Escape. The screen positions are those of the bundled scene's first view; the
# comments give each one as ground coordinates (u to the right, v up the screen, as in
# scripts/scene_layout.py).
#
# Units halt on contact and brake for a few lengths, so a unit that runs into another sinks into
# it: every order here sends each unit along its own clear path, and the tour ends with every
# moving unit halted.
set -euo pipefail
shots=$1
n=0
shot() {
    n=$((n + 1))
    import -window root -crop 640x480+0+0 +repage "$shots/$(printf %02d $n)-$1.png"
}
drag() {  # x1 y1 x2 y2: a rubber band with the left button
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.1
    xdotool mousemove $((($1 + $3) / 2)) $((($2 + $4) / 2))
    sleep 0.1
    xdotool mousemove "$3" "$4"
    sleep 0.1
    xdotool mouseup 1
}
send() {  # x y x2 y2: a left click selecting the unit at x y alone, then a right click at x2 y2
    xdotool mousemove "$1" "$2" click 1 sleep 0.05 mousemove "$3" "$4" click 3
}
rest() { xdotool mousemove 320 240; sleep "$1"; }

window=$(xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
xdotool windowfocus --sync "$window"
rest 2
shot start

# The six tanks in the lower left. The rubber band is a rectangle on the ground, which this
# diagonal view shows as a diamond: one drag per row, the second with SHIFT to add to the first.
# The pointer stays out of the scrolling edge zones.
drag 41 285 248 285
xdotool keydown shift
drag 41 366 286 366
xdotool keyup shift
rest 0.5
shot tanks-selected

# One order for a group sends every unit to the same point, where they would meet: each tank
# gets its own place six lengths up the field, so the two rows advance side by side. A leg must
# be long enough to come up to speed: a unit that reaches the last two lengths before its goal
# too slowly stops short of it for good, and waits there with the rest of its queue.
send 56 285 107 181     # (-9, -1.5) to (-9.5, 4.5)
send 144 285 157 181    # (-6, -1.5) to (-7.25, 4.5)
send 232 285 208 181    # (-3, -1.5) to (-5, 4.5)
send 61 365 132 221     # (-7.5, -4.5) to (-7.5, 1.8)
send 165 365 207 221    # (-4.5, -4.5) to (-4.5, 1.8)
send 268 365 282 221    # (-1.5, -4.5) to (-1.5, 1.8); it stops half a length short
rest 0.6
shot tanks-advancing

# The first scout drives a route queued with SHIFT: up the field to the right, on, and back.
send 402 253 469 162    # (3, 0) to (7, 6)
# (8, 12), then (10, 4):
xdotool keydown shift mousemove 459 103 click 3 mousemove 549 187 click 3 keyup shift
rest 1
shot scout-route

# Two scouts follow the last tank, which stands in line with them, so they drive one behind the
# other; at once the tank leads them up the field to the left, before they come near it.
# The scouts at (5.5, -1) and (8, -2) in a band from (4.5, -1.5) to (9.3, -1.5); a right click
# on the tank at (-1.5, 1.3); the tank alone, to (-8, 20) and on to (-14, 22).
drag 452 285 592 285
xdotool mousemove 282 229 click 3 sleep 0.05 click 1 sleep 0.05 mousemove 208 51 click 3 \
    keydown shift mousemove 133 41 click 3 keyup shift
rest 1.2
shot scouts-follow

# A band over the middle of the field and S halt the scouts where they are, well before they
# reach the tank, which drives on to its place (if the band holds it, it halts too).
drag 57 88 583 88       # (-16, 14) to (16, 14)
xdotool key s
rest 2
shot halted

# Scroll the view a little up the screen with the Up key.
xdotool keydown Up
sleep 0.6
xdotool keyup Up
rest 0.5
shot scrolled

xdotool key Escape
