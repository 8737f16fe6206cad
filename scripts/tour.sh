#!/usr/bin/env bash
# Drives a running zelmor window on $DISPLAY through a short tour of the bundled scene with
# xdotool and saves numbered screenshots into the folder given as the first argument. Ends the
# program with Escape. The screen positions are those of the bundled scene's first view.
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
order() {  # x y: right click on the ground or on a unit
    xdotool mousemove "$1" "$2" click 3
}
rest() { xdotool mousemove 320 240; sleep "$1"; }

window=$(xdotool search --sync --onlyvisible --name '^zelmor$' | head -n 1)
xdotool windowfocus --sync "$window"
rest 2
shot start

# The six tanks in the lower left: select them and send them across the field. The rubber band
# is a rectangle on the ground, which this diagonal view shows as a diamond: one drag per row,
# the second with SHIFT to add to the first. The pointer stays out of the scrolling edge zones.
drag 41 285 248 285
xdotool keydown shift
drag 41 366 286 366
xdotool keyup shift
rest 0.5
shot tanks-selected
order 430 150
rest 3
shot tanks-driving

# The scouts on the right: two waypoints queued with SHIFT.
drag 387 249 579 296
xdotool keydown shift
order 200 140
order 110 260
xdotool keyup shift
rest 1
shot scouts-waypoints
rest 3
shot scouts-on-their-way

# A launcher follows a tank of the patrol further up.
drag 564 382 610 382
order 287 92
rest 3
shot launcher-follows

# The other launcher sets off and is halted with S.
drag 448 349 493 351
order 600 150
rest 1
xdotool key s
rest 2
shot launcher-halted

# Scroll the view up the screen with the Up key.
xdotool keydown Up
sleep 1.5
xdotool keyup Up
rest 0.5
shot scrolled

xdotool key Escape
