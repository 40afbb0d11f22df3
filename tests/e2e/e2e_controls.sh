#!/usr/bin/env bash
# The learner's controls outside the strip's menu, as a desktop shortcut and
# the panel's tray use them:
#   - `quorvel --pause` with no copy running says so, exits 1 and starts
#     nothing; --help and --version need no display; a wrong option exits 2;
#   - a second start with --pause holds the line on show (it stops changing
#     for 4 s), --next brings another pair, --resume plays on, and --quit
#     ends the program having saved what Exit saves;
#   - in a panel whose system tray starts after the tutor, its icon appears, its menu opens
#     on a right click and its Pause holds the strip; a click plays on.
#
# Usage: e2e_controls.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_controls.sh PATH-TO-QUORVEL}

e2e_init
start_xvfb 1280x800x24

# Runs the program in the foreground; its status in RUN_STATUS, its output
# in RUN_OUT and RUN_ERR.
run_option()
{
    "$@" >"$E2E_WORK/out" 2>"$E2E_WORK/err"
    RUN_STATUS=$?
    RUN_OUT=$(cat "$E2E_WORK/out")
    RUN_ERR=$(cat "$E2E_WORK/err")
}

# The strip as drawn: its lines, and the picture with or without the pause mark.
strip_look() { import -window "$strip" png:- 2>/dev/null | md5sum | cut -d' ' -f1; }
looks_different() { [[ $(strip_look) != "$1" ]]; }

# Whether the strip looks the same for SECONDS_ (a line's animation may
# finish first, so it settles for 2 s before).
strip_holds()
{
    local seconds_=$1 before i
    sleep 2
    before=$(strip_look)
    for ((i = 0; i < seconds_; i++)); do
        sleep 1
        [[ $(strip_look) == "$before" ]] || return 1
    done
}

lock_file() { printf '%s/quorvel.lock\n' "$XDG_RUNTIME_DIR"; }

# --- options without a running copy ------------------------------------------
run_option "$program" --pause
check "--pause with no copy running exits 1" test "$RUN_STATUS" = 1
check "... and says so in one line ($RUN_ERR)" test "$RUN_ERR" = "quorvel: no running copy to pause"
check "... and takes no lock" test ! -e "$(lock_file)"
check "... and starts no strip" no_window Form1

run_option env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help
check "--help works without a display" test "$RUN_STATUS" = 0
check "... and names --toggle-pause" grep -q -- '--toggle-pause' "$E2E_WORK/out"
run_option env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version
check "--version prints the version ($RUN_OUT)" test "$RUN_STATUS" = 0 -a -n "$RUN_OUT"
run_option "$program" --pause extra
check "an extra argument exits 2" test "$RUN_STATUS" = 2
check "... with the usage on stderr" grep -q -- '--pause' "$E2E_WORK/err"
run_option "$program" --bogus
check "an unknown option exits 2" test "$RUN_STATUS" = 2

# --- commands to the running copy --------------------------------------------
# An earlier run with neither "voice" nor "left" stored: Exit writes both.
printf '[%s]\nxxx=1\n' "$SETTINGS_GROUP" >"$(settings_file)"
start_program "$program"
tutor=$PROGRAM_PID
strip=$(wait_for_window Form1 20)
if [[ -z $strip ]]; then
    fail "the strip (window Form1) is mapped"
    finish
fi
sleep 5 # the welcome
xdotool mousemove 600 600

run_option "$program" --pause
check "--pause reaches the running copy (exit 0)" test "$RUN_STATUS" = 0
check "the line on show holds for 4 s" strip_holds 4
screenshot controls-paused
first_look=$(strip_look)
run_option "$program" --next
check "--next exits 0" test "$RUN_STATUS" = 0
check "--next brings another pair at once" poll 5 looks_different "$first_look"
sleep 2 # the new Italian line scrolls in for about 2.9 s
check "... and the pause still holds" strip_holds 3
run_option "$program" --resume
held_look=$(strip_look)
check "--resume plays on: the strip changes" poll 20 looks_different "$held_look"

run_option "$program" --quit
check "--quit exits 0" test "$RUN_STATUS" = 0
if wait_for_exit "$tutor" 10; then
    pass "--quit ends the tutor"
    check "... with status 0" test "$EXIT_STATUS" = 0
else
    fail "--quit ends the tutor"
fi
check "Exit's \"voice\" is stored" has_setting voice
check "Exit's \"left\" is stored" has_setting left
check "the lock is given up" poll 2 test ! -e "$(lock_file)"

# --- the tray icon in a panel's system tray ----------------------------------
skip_tray=""
for tool in tint2 openbox; do
    command -v "$tool" >/dev/null || skip_tray=$tool
done
if [[ -n $skip_tray ]]; then
    echo "SKIP: $skip_tray is not installed: no tray check (scripts/test installs it)"
    finish
fi
mkdir -p "$E2E_WORK/home"
export HOME="$E2E_WORK/home"
start_program openbox --sm-disable
cat >"$E2E_WORK/tint2rc" <<TINT
panel_items = S
panel_position = bottom right horizontal
panel_size = 200 32
systray_icon_size = 24
TINT

# The tray's icon: the tutor's one small window, which the tray has embedded.
tray_icon()
{
    xdotool search --onlyvisible --pid "$tutor" 2>/dev/null | while read -r wid; do
        read -r _ _ w h < <(window_geometry "$wid")
        if ((w > 0 && w <= 48 && h > 0 && h <= 48)); then
            printf '%s\n' "$wid"
            break
        fi
    done
}

started_ms=$(($(date +%s%N) / 1000000))
start_program "$program"
tutor=$PROGRAM_PID
strip=$(wait_for_window Form1 20)
# At log-on the panel and its tray often start after the tutor.
sleep 2
start_program tint2 -c "$E2E_WORK/tint2rc"
icon=""
for _ in $(seq 1 50); do
    icon=$(tray_icon)
    [[ -n $icon ]] && break
    sleep 0.2
done
if [[ -z $icon ]]; then
    fail "the tutor's icon appears in a system tray started after it"
    finish
fi
pass "the tutor's icon appears in a system tray started after it"
# The welcome scrolls in whatever the pause says: the strip holds only after it.
welcome_left_ms=$((started_ms + 5500 - $(date +%s%N) / 1000000))
((welcome_left_ms > 0)) && sleep "$((welcome_left_ms / 1000)).$(printf '%03d' $((welcome_left_ms % 1000)))"
read -r ix iy iw ih < <(window_geometry "$icon")
xdotool mousemove "$((ix + iw / 2))" "$((iy + ih / 2))"
sleep 0.3
xdotool click 3
menu=$(wait_for_window tray 5)
check "a right click opens the tray menu" test -n "$menu"
if [[ -n $menu ]]; then
    screenshot controls-tray-menu
    read -r mx my mw _ < <(window_geometry "$menu")
    xdotool mousemove "$((mx + mw / 2))" "$((my + 12))" # the first item: Pause
    sleep 0.3
    xdotool click 1
    check "the menu closes" wait_for_no_window tray 5
    xdotool mousemove 600 400
    check "Pause from the tray holds the strip" strip_holds 3
    held_look=$(strip_look)
    xdotool mousemove "$((ix + iw / 2))" "$((iy + ih / 2))"
    sleep 0.3
    xdotool click 1
    xdotool mousemove 600 400
    check "a click on the icon plays on" poll 20 looks_different "$held_look"
fi
finish
