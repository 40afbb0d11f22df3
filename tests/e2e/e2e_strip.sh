#!/usr/bin/env bash
# The strip as a person meets it: on the top edge after the welcome, the
# settings file written on the first run, a later start that only brings the
# strip forward, a drag that leaves the strip on the top edge inside the
# screen, and a clean start after a copy was killed.
#
# Usage: e2e_strip.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_strip.sh PATH-TO-QUORVEL}

e2e_init
start_xvfb 1280x800x24

start_program "$program"
survivor=$PROGRAM_PID

strip=$(wait_for_window Form1 20)
check "the strip (window Form1) is mapped" test -n "$strip"
check "the program keeps running" is_running "$survivor"
if [[ -z $strip ]]; then
    finish
fi

# --- on the top edge through the welcome and after it -------------------
strip_on_top_edge()
{
    local y
    read -r _ y _ _ < <(window_geometry "$strip") || return 1
    ((y == 0))
}
stayed_on_top=1
for _ in $(seq 1 25); do # the welcome runs for about 4.1 s
    strip_on_top_edge || stayed_on_top=0
    sleep 0.2
done
check "the strip sits at y = 0 through the welcome and after it" test "$stayed_on_top" = 1
screenshot strip-after-welcome

# --- the first run writes every key --------------------------------------
check "Brix.conf holds all sixteen keys under [Italian]" poll 10 all_keys_written
check "the first run marks itself (xxx = 1)" test "$(read_setting xxx)" = 1

# --- a later start only brings the first forward -------------------------
before=$(md5sum <"$(settings_file)")
start_program "$program"
later=$PROGRAM_PID
PROGRAM_PID=$survivor
if wait_for_exit "$later" 5; then
    check "a later start exits 0 within 5 s" test "$EXIT_STATUS" = 0
else
    fail "a later start exits within 5 s"
fi
check "the first copy keeps running" is_running "$survivor"
check "a later start leaves the settings file alone" test "$before" = "$(md5sum <"$(settings_file)")"
check "the strip is still mapped" test -n "$(find_window Form1)"

# --- dragging Label1 -----------------------------------------------------
read -r x0 y0 _ h0 < <(window_geometry "$strip")
read -r screen_w _ < <(screen_size)
# Label1 covers the strip's left part; the menu picture is at its right end.
# The strip moves to the pointer as Timer1 last sampled it, so it may end a
# step or two short of the full 200 px.
drag_by "$((x0 + 40))" "$((y0 + h0 / 2))" 200 150
check "after the drag the strip is back at y = 0" poll 5 strip_on_top_edge
read -r x1 _ w1 h1 < <(window_geometry "$strip")
check "after the drag the strip is inside the screen" \
    test "$x1" -ge 0 -a "$((x1 + w1))" -le "$screen_w"
check "the strip followed the pointer about 200 px to the right ($x0 -> $x1)" \
    test "$((x1 - x0))" -ge 150 -a "$((x1 - x0))" -le 220
check "the strip keeps its full height after the drag" test "$h1" = "$h0"
screenshot strip-after-drag

check "the program is still running after the drag" is_running "$survivor"

# --- a copy that was killed leaves nothing that stops the next start -----
kill -KILL "$survivor"
wait_for_exit "$survivor" 5
check "the killed copy's window is gone" wait_for_no_window Form1 10
start_program "$program"
check "the next start after a killed copy shows the strip" test -n "$(wait_for_window Form1 20)"
check "and keeps running" is_running "$PROGRAM_PID"
finish
