#!/usr/bin/env bash
# Drives a running zelmor window on $DISPLAY with xdotool and saves numbered screenshots into
# the folder given as the first argument. Ends the program with Escape.
set -euo pipefail
shots=$1
n=0
shot() { n=$((n + 1)); import -window root -crop 640x480+0+0 +repage "$shots/$(printf %02d $n)-$1.png"; }

window=$(xdotool search --sync --name '^zelmor$' | head -n 1)
sleep 2
xdotool windowfocus --sync "$window"
shot start
xdotool key Escape
