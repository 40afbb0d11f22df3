#!/usr/bin/env bash
# The tutor keeps quiet when it should:
#   - on a private session bus, a screen saver's ActiveChanged(true) holds
#     the strip, and ActiveChanged(false) lets it play on (any sender counts:
#     gdbus stands in for the screen saver);
#   - under openbox, an xterm made full screen hides the strip and the
#     parrot, and they come back when it leaves full screen.
#
# Usage: e2e_quiet.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_quiet.sh PATH-TO-QUORVEL}

e2e_init
require_tools dbus-daemon gdbus openbox xterm wmctrl
start_xvfb 1280x800x24

start_session_bus

mkdir -p "$E2E_WORK/home"
export HOME="$E2E_WORK/home"
start_program openbox --sm-disable

strip_look() { import -window "$strip" png:- 2>/dev/null | md5sum | cut -d' ' -f1; }
looks_different() { [[ $(strip_look) != "$1" ]]; }
strip_holds()
{
    local seconds_=$1 before i
    sleep 2 # a line's animation may finish first
    before=$(strip_look)
    for ((i = 0; i < seconds_; i++)); do
        sleep 1
        [[ $(strip_look) == "$before" ]] || return 1
    done
}

window_shown() { [[ -n $(find_window "$1") ]]; }

screen_saver()
{
    gdbus emit --session --object-path /org/freedesktop/ScreenSaver \
        --signal org.freedesktop.ScreenSaver.ActiveChanged "$1" >/dev/null
}

start_program "$program"
strip=$(wait_for_window Form1 20)
parrot=$(wait_for_window Peedy 20)
if [[ -z $strip || -z $parrot ]]; then
    fail "the strip and the parrot are mapped"
    finish
fi
sleep 5 # the welcome
xdotool mousemove 600 600

# --- the screen saver ---------------------------------------------------------
playing_look=$(strip_look)
check "the strip plays before the screen saver" poll 20 looks_different "$playing_look"
screen_saver true
check "ActiveChanged(true) holds the line for 4 s" strip_holds 4
screenshot quiet-screen-saver
held_look=$(strip_look)
screen_saver false
check "ActiveChanged(false) lets it play on" poll 20 looks_different "$held_look"

# --- a full-screen window -----------------------------------------------------
start_program xterm -geometry 60x10+40+400
poll 10 xdotool search --onlyvisible --class xterm >/dev/null
term=$(xdotool search --onlyvisible --class xterm | head -n 1)
xdotool windowactivate --sync "$term" 2>/dev/null
sleep 0.5
check "a windowed xterm leaves the strip in sight" test -n "$(find_window Form1)"
wmctrl -r :ACTIVE: -b add,fullscreen
check "a full-screen xterm hides the strip" wait_for_no_window Form1 5
check "... and the parrot" wait_for_no_window Peedy 5
screenshot quiet-full-screen
wmctrl -r :ACTIVE: -b remove,fullscreen
check "leaving full screen brings the strip back" poll 5 window_shown Form1
check "... and the parrot" poll 5 window_shown Peedy
held_look=$(strip_look)
check "... and it plays on" poll 20 looks_different "$held_look"
finish
