#!/usr/bin/env bash
# A log-on where the desktop comes up around the tutor, and a day on which
# monitors come and go (openbox, two monitors side by side, the strip on the
# right one, auto-hide on):
#   - a top panel started after the tutor: the strip moves below it within
#     a second;
#   - collapsed under that panel, the strip opens with the pointer on the
#     screen's top row above it;
#   - the strip's monitor unplugged (xrandr --delmonitor): the whole strip
#     and the parrot are back on the monitor that is left;
#   - under fluxbox, which places new windows where it likes, the strip is
#     where it asked to be, and Exit stores that place.
# Is skipped where openbox, tint2 or fluxbox are not installed.
#
# Usage: e2e_logon.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_logon.sh PATH-TO-QUORVEL}
readonly PANEL=28 HALF=640
readonly LEFT_PIXELS=800 # on the right monitor; 15 twips a pixel
readonly REACH=474       # from the strip's left edge to its menu picture's end
readonly FLUX_LEFT=100 # on the monitor left, reach and all

require_tools openbox tint2 fluxbox xrandr xwininfo
e2e_init
export HOME="$E2E_WORK/home"
mkdir -p "$HOME"
start_xvfb 1280x800x24
# The left monitor takes the screen's own output, so that the right one can
# really go.
xrandr --setmonitor left "$HALF/169x800/212+0+0" screen >/dev/null 2>&1
xrandr --setmonitor right "$HALF/169x800/212+$HALF+0" none >/dev/null 2>&1
start_program openbox --sm-disable
wm=$PROGRAM_PID

printf '[%s]\nxxx=1\nvisi=1\nleft=%d\n' "$SETTINGS_GROUP" "$((LEFT_PIXELS * 15))" \
    >"$(settings_file)"
xdotool mousemove 300 600
start_program "$program"
tutor=$PROGRAM_PID
strip=$(wait_for_window Form1 20)
parrot=$(wait_for_window Peedy 10)
if [[ -z $strip || -z $parrot ]]; then
    fail "the strip and the parrot appear"
    program_log >&2
    finish
fi
strip_y() { window_geometry "$strip" | awk '{ print $2 }'; }
strip_height() { window_geometry "$strip" | awk '{ print $4 }'; }
check "the strip starts on the right monitor's top edge" test "$(strip_y)" = 0

# --- a panel that starts after the tutor ------------------------------------
start_top_panel "$PANEL"
panel_reserved() { xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, $PANEL,"; }
below_panel() { test "$(strip_y)" = "$PANEL"; }
if poll 10 panel_reserved; then
    check "the strip moves below a panel started after it, within a second" poll 1 below_panel
else
    fail "tint2 reserves its $PANEL pixels"
fi

# --- collapsed under the panel, opened from the screen's top row ------------
sleep 4.5 # the welcome; then auto-hide takes the strip in
collapsed() { (($(strip_height) < 5)); }
opened() { (($(strip_height) > 15)); }
read -r sx _ sw _ < <(window_geometry "$strip")
check "with the pointer away the strip collapses" poll 3 collapsed
xdotool mousemove "$((sx + sw / 2))" 0
check "the pointer on the screen's top row over the panel opens it" poll 2 opened
screenshot logon-panel
xdotool mousemove 300 600
poll 3 collapsed

# --- its monitor unplugged --------------------------------------------------
xrandr --delmonitor right >/dev/null 2>&1
inside_left()
{
    local x y w
    read -r x y w _ < <(window_geometry "$1") || return 1
    ((x >= 0 && x + ${2:-$w} <= HALF && y >= 0))
}
check "with its monitor unplugged the whole strip is on the one left" poll 2 inside_left "$strip" "$REACH"
check "... and the parrot too" poll 2 inside_left "$parrot"
screenshot logon-unplugged
end_process "$tutor"
end_process "$PANEL_PID"
end_process "$wm"

# --- fluxbox ----------------------------------------------------------------
start_program fluxbox
fluxbox_runs()
{
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*') || return 1
    xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q Fluxbox
}
poll 10 fluxbox_runs || fail "fluxbox runs"
printf '[%s]\nxxx=1\nleft=%d\n' "$SETTINGS_GROUP" "$((FLUX_LEFT * 15))" >"$(settings_file)"
start_program "$program"
tutor=$PROGRAM_PID
strip=$(wait_for_window Form1 20)
at_its_place() { test "$(window_geometry "$strip" | awk '{ print $1 }')" = "$FLUX_LEFT"; }
check "under fluxbox the strip is where it asked to be" poll 2 at_its_place
"$program" --quit >/dev/null 2>&1
wait_for_exit "$tutor" 10 || fail "--quit ends the tutor"
check "Exit stores the place it is at" test "$(read_setting left)" = "$((FLUX_LEFT * 15))"

finish
