#!/usr/bin/env bash
# The tutor on a real desktop: openbox as the window manager, tint2 as a
# 30-pixel top panel with a taskbar, an xterm that has the focus and is being
# typed into, and two monitors side by side.
#   - typing into the xterm while the tutor starts, and while the pointer
#     crosses the menu picture, reaches the xterm whole; no menu command runs;
#   - the strip, the parrot and the start-up window stay out of the taskbar;
#   - the strip sits just below the top panel;
#   - a close request from the window manager does not take the strip away;
#   - a strip dragged onto the second monitor stays there, and comes back
#     there at the next start; Settings opens there;
#   - the Settings dialog asks for no minimize button, and closes when a
#     window manager minimizes it anyway.
#
# Usage: e2e_desktop.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_desktop.sh PATH-TO-QUORVEL}
panel_height=30

e2e_init
require_tools openbox tint2 xterm wmctrl xprop xrandr
start_xvfb 1280x800x24

# Two monitors on the one X screen, as a laptop beside an external screen.
xrandr --setmonitor left 640/169x800/212+0+0 none >/dev/null 2>&1
xrandr --setmonitor right 640/169x800/212+640+0 none >/dev/null 2>&1

mkdir -p "$E2E_WORK/home"
export HOME="$E2E_WORK/home"
start_program openbox --sm-disable
start_top_panel "$panel_height"
sleep 1

typed="$E2E_WORK/typed.txt"
start_program xterm -geometry 60x10+40+500 -e "stty -icanon -echo; cat >'$typed'"
poll 10 xdotool search --onlyvisible --class xterm >/dev/null
term=$(xdotool search --onlyvisible --class xterm | head -n 1)
xdotool windowactivate --sync "$term" 2>/dev/null

# --- typing while the tutor starts ------------------------------------------
tokens=$(printf 't%02d ' $(seq 1 40))
start_program "$program"
tutor=$PROGRAM_PID
xdotool type --delay 60 "$tokens"
strip=$(wait_for_window Form1 20)
if [[ -z $strip ]]; then
    fail "the strip (window Form1) is mapped"
    finish
fi
sleep 0.5
check "all 40 tokens typed during start-up reached the xterm" test "$(cat "$typed")" = "$tokens"
check "the xterm still has the focus" test "$(xdotool getactivewindow)" = "$term"

# --- typing while the pointer crosses the menu picture ----------------------
sleep 4 # the welcome scrolls in
read -r sx sy sw sh < <(window_geometry "$strip")
: >"$typed"
xdotool mousemove "$((sx + sw - 15))" "$((sy + sh / 2))"
xdotool type --delay 60 "hello "
xdotool mousemove "$((sx + sw - 12))" "$((sy + sh / 2))"
sleep 0.3
check "the pointer over the picture opens the menu" test -n "$(find_window file)"
xdotool type --delay 60 "swan mews"
sleep 0.5
check "text typed while the menu is up reaches the xterm whole" \
    test "$(cat "$typed")" = "hello swan mews"
check "no key ran a menu command (no Settings, no About)" \
    test -z "$(find_window 'Setting\.\.\.')$(find_window Version)"
xdotool mousemove 300 400
check "the menu closes once the pointer has left it" wait_for_no_window file 5

# --- out of the taskbar, below the panel ------------------------------------
skips()
{
    local state
    state=$(xprop -id "$1" _NET_WM_STATE 2>/dev/null)
    [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* && $state == *_NET_WM_STATE_SKIP_PAGER* ]]
}
check "the strip skips the taskbar and the pager" skips "$strip"
parrot=$(find_window Peedy)
check "the parrot skips the taskbar and the pager" skips "$parrot"
# Every window the window manager manages that belongs to the tutor, less
# those that skip the taskbar, is what a taskbar would show.
clients=$(xprop -root -notype _NET_CLIENT_LIST | sed 's/^[^=]*=//; s/,/ /g')
listed=0
for id in $clients; do
    if xprop -id "$id" WM_CLASS | grep -qi 'quorvel' && ! skips "$id"; then
        listed=$((listed + 1))
        e2e_log "in the taskbar: $(xprop -id "$id" WM_NAME _NET_WM_STATE _NET_WM_WINDOW_TYPE)"
    fi
done
check "no window of the tutor is left for the taskbar ($listed)" test "$listed" = 0
check "the strip's top is the panel's bottom (y = $sy)" test "$sy" = "$panel_height"
screenshot desktop-panel

# --- a close request from the window manager --------------------------------
wmctrl -i -c "$strip"
sleep 1
check "closing the strip from the window manager leaves it on the screen" \
    test -n "$(find_window Form1)"
check "... and the program running" is_running "$tutor"

# --- the second monitor -----------------------------------------------------
drag_by "$((sx + 40))" "$((sy + sh / 2))" 600 100
sleep 0.5
read -r dx dy dw dh < <(window_geometry "$strip")
check "a strip dropped on the second monitor stays there (x = $dx)" \
    test "$dx" -ge 640 -a "$((dx + 474))" -le 1280
check "... on its top edge, below the panel (y = $dy)" test "$dy" = "$panel_height"
screenshot desktop-second-monitor

# Crosses the picture at the end of the strip at X Y W H, as a person would,
# and clicks the menu item ROW pixels below the menu's top (negative: above
# its bottom). Fails when no menu opens.
pick_from_menu()
{
    local x=$1 y=$2 w=$3 h=$4 row=$5 menu mx my mw mh
    xdotool mousemove "$((x + w - 15))" "$((y + h / 2))"
    sleep 0.2
    xdotool mousemove "$((x + w - 12))" "$((y + h / 2))"
    menu=$(wait_for_window file 5)
    [[ -n $menu ]] || return 1
    read -r mx my mw mh < <(window_geometry "$menu")
    ((row >= 0)) || row=$((mh + row))
    xdotool mousemove "$((mx + mw / 2))" "$((my + row))"
    sleep 0.3
    xdotool click 1
}

# Exit, the last item, stores the place.
if pick_from_menu "$dx" "$dy" "$dw" "$dh" -11; then
    wait_for_exit "$tutor" 10 || fail "Exit ends the program"
else
    fail "the menu opens on the second monitor"
fi
start_program "$program"
strip=$(wait_for_window Form1 20)
sleep 0.5
read -r rx ry rw rh < <(window_geometry "$strip")
check "the next start puts the strip back on the second monitor ($rx vs $dx)" test "$rx" = "$dx"

# --- the Settings dialog ----------------------------------------------------
# It asks for a title bar and a close box only. openbox keeps its minimize
# button whatever a window asks, so minimizing must not hide the dialog
# while it holds playback: it closes instead.
sleep 4 # the welcome
pick_from_menu "$rx" "$ry" "$rw" "$rh" 10
dialog=$(wait_for_window 'Setting\.\.\.' 5)
if [[ -n $dialog ]]; then
    # flags, functions, decorations: functions 0x1 is all, 0x8 minimize, 0x10 maximize.
    functions=$(xprop -id "$dialog" _MOTIF_WM_HINTS | sed -n 's/.*= *[^,]*, *\([^,]*\),.*/\1/p')
    check "the dialog asks for no minimize and no maximize (functions $functions)" \
        test -n "$functions" -a "$((functions & 0x19))" = 0
    read -r gx _ _ _ < <(window_geometry "$dialog")
    check "the dialog opens on the strip's monitor (x = $gx)" test "$gx" -ge 640
    screenshot desktop-settings
    xdotool windowminimize "$dialog"
    check "a minimized dialog closes rather than hiding" wait_for_no_window 'Setting\.\.\.' 5
else
    fail "Settings... opens the dialog on the second monitor"
fi

finish
