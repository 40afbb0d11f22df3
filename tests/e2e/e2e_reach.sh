#!/usr/bin/env bash
# The whole strip, and so its menu picture, is on the screen wherever the
# stored position came from: a first run on a small HiDPI laptop screen
# (1280x720 at scale 2, 640 logical pixels across) and a position saved on a
# much wider monitor.
#
# Usage: e2e_reach.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_reach.sh PATH-TO-QUORVEL}

e2e_init
start_xvfb 1280x720x24

# Runs the tutor until its strip is up, then prints the strip's geometry.
strip_geometry()
{
    start_program "$@"
    local strip
    strip=$(wait_for_window Form1 20) || return 1
    sleep 0.5
    window_geometry "$strip"
    end_process "$PROGRAM_PID"
    wait_for_no_window Form1 10
}

# The strip is 7155 twips wide and its picture ends 7110 twips in: within
# 0.6% of its width from its right edge.
whole_on_screen()
{
    local x=$1 w=$3
    ((x >= 0 && x + w * 994 / 1000 <= 1280))
}

read -r x y w _ < <(QT_SCALE_FACTOR=2 strip_geometry "$program")
check "at scale 2 the first run's strip is on the screen ($x + $w of 1280)" whole_on_screen "$x" "$y" "$w"
check "at scale 2 the strip is twice as large ($w px)" test "${w:-0}" -ge 940
screenshot reach-scale-2

printf '[%s]\nxxx=1\nleft=99999\n' "$SETTINGS_GROUP" >"$(settings_file)"
read -r x y w _ < <(strip_geometry "$program")
check "a position from a wider monitor puts the strip on this one ($x + $w of 1280)" \
    whole_on_screen "$x" "$y" "$w"

finish
