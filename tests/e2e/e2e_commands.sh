#!/usr/bin/env bash
# The popup menu and the Settings dialog as a person uses them: the pointer
# on the strip's picture opens the menu, "Settings..." opens the dialog and
# holds the menu shut, the dialog is closed (Escape: there is no window
# manager to press a close box) and stores its choices, and Exit stores what
# it should. A second run continues the course from the stored position.
# Along the way: the windows bear exactly their own titles, and the Italian
# line's tooltip shows on the strip, which is never the active window.
# (The dialog's layout and its controls are covered by tst_settings_dialog.)
#
# Usage: e2e_commands.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_commands.sh PATH-TO-QUORVEL}

e2e_init
start_xvfb 1280x800x24

# Starts the program and waits for the strip and for the welcome to end.
start_tutor()
{
    start_program "$program"
    # The start-up window is up for about a second: its title is read at once.
    splash=$(wait_for_window Version 10) && titled_exactly "$splash" Version
    splash_titled=$?
    strip=$(wait_for_window Form1 20)
    [[ -n $strip ]] || return 1
    sleep 5 # the welcome scrolls in for about 4.2 s
    read -r sx sy sw sh < <(window_geometry "$strip")
}

# The menu picture is the last 18 pixels of the strip (6840..7110 twips).
open_menu()
{
    # Away from the strip, then one movement onto the picture and no click,
    # even back to where the pointer was when the menu last opened.
    xdotool mousemove "$((sx + sw / 2))" "$((sy + sh + 200))"
    sleep 0.2
    xdotool mousemove "$((sx + sw - 12))" "$((sy + sh / 2))"
    menu=$(wait_for_window file 5)
    [[ -n $menu ]] || return 1
    read -r mx my mw mh < <(window_geometry "$menu")
}

# Items by their place in the menu: the first row and the last row.
pick_settings()
{
    xdotool mousemove "$((mx + mw / 2))" "$((my + 10))"
    sleep 0.2
    xdotool click 1
}

pick_exit()
{
    xdotool mousemove "$((mx + mw / 2))" "$((my + mh - 11))"
    sleep 0.2
    xdotool click 1
}

setting_is() { [[ $(read_setting "$1") == "$2" ]]; }

# An earlier run left the whole course playing in sequence from its start.
mkdir -p "$XDG_CONFIG_HOME"
printf '[%s]\nxxx=1\nrd=1\nguage=0\nguagen=10101\n' "$SETTINGS_GROUP" >"$(settings_file)"

# Whether a tooltip window of the tutor is mapped.
tooltip_shown()
{
    local id
    for id in $(xdotool search --onlyvisible --class quorvel 2>/dev/null); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP && return 0
    done
    return 1
}

# --- first run: the menu opens under the strip's right end ---------------
if ! start_tutor; then
    fail "the strip (window Form1) is mapped"
    finish
fi
check "the start-up window is titled exactly \"Version\"" test "$splash_titled" = 0
check "the strip is titled exactly \"Form1\"" titled_exactly "$strip" Form1

# In sequence order the Italian line carries the sentence as its tooltip,
# though the strip is never the active window.
xdotool mousemove "$((sx + 60))" "$((sy + sh / 2))"
check "a tooltip shows over the Italian line" poll 3 tooltip_shown
screenshot commands-tooltip

# Not dragged: the strip stays where a new user's starts, half the screen
# width in twips less 2000.
first_left=$(( (1280 * 15 / 2) - 2000 ))

if open_menu; then
    pass "the pointer over the picture opens the menu (no click)"
    check "the menu's top-right corner is at the strip's right end ($((mx + mw)) vs $((sx + sw - 3)))" \
        test "$((mx + mw))" -ge "$((sx + sw - 4))" -a "$((mx + mw))" -le "$((sx + sw))"
    check "the menu opens just below the strip" test "$my" -ge "$((sy + sh))" -a "$my" -le "$((sy + sh + 2))"
    screenshot commands-menu
else
    fail "the pointer over the picture opens the menu"
    finish
fi

# --- Settings --------------------------------------------------------------
pick_settings
dialog=$(wait_for_window 'Setting\.\.\.' 5)
if [[ -z $dialog ]]; then
    fail "Settings... opens the dialog \"Setting...\""
    finish
fi
pass "Settings... opens the dialog \"Setting...\""
check "the dialog is titled exactly \"Setting...\"" titled_exactly "$dialog" 'Setting...'

# The strip's picture is disabled while the dialog is open: no menu.
xdotool mousemove "$((sx + sw - 12))" "$((sy + sh / 2))"
sleep 0.5
check "no menu opens while the dialog is open" no_window file

screenshot commands-settings
# With no window manager nothing gives the new dialog the keyboard; a person
# would click into it first.
xdotool windowfocus --sync "$dialog"
xdotool key Escape
check "Escape closes the dialog" wait_for_no_window 'Setting\.\.\.' 5
check "closing stores the choices (n = 2, the first-run value it showed)" poll 5 setting_is n 2
check "closing keeps the topic and play mode (Entire, Sequence)" \
    test "$(read_setting guage)/$(read_setting rd)" = 0/1

# --- Exit -----------------------------------------------------------------
if open_menu; then
    pass "the menu opens again after the dialog closed"
    pick_exit
else
    fail "the menu opens again after the dialog closed"
fi
if wait_for_exit "$PROGRAM_PID" 10; then
    check "Exit ends the program with status 0" test "$EXIT_STATUS" = 0
else
    fail "Exit ends the program"
fi
check "Exit stores voice = 1" test "$(read_setting voice)" = 1
check "Exit stores left (not dragged: still $first_left)" test "$(read_setting left)" = "$first_left"
stored=$(read_setting guagen)
check "Exit stores the course position from its start (guagen = $stored)" \
    test "${stored:-0}" -ge 10102 -a "${stored:-0}" -le 10103

# --- second run: the course goes on from there ---------------------------
if ! start_tutor; then
    fail "the strip comes back on the second run"
    finish
fi
sleep 10 # a pair plays
if open_menu; then
    screenshot commands-second-run
    pick_exit
    wait_for_exit "$PROGRAM_PID" 10 || fail "Exit ends the second run"
else
    fail "the menu opens on the second run"
fi
again=$(read_setting guagen)
check "the second run continued the course ($stored -> $again)" test "${again:-0}" -gt "${stored:-0}"
check "the second run kept Entire and Sequence" test "$(read_setting guage)/$(read_setting rd)" = 0/1

finish
