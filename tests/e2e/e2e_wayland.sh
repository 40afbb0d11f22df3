#!/usr/bin/env bash
# Under a Wayland compositor (weston, headless, with its desktop shell):
#   (a) through XWayland the strip sits at the top edge at its first-run
#       place and the parrot just below its right end, where the tutor puts
#       them, not where weston's window manager stacks new windows (near the
#       top-left corner);
#   (b) a window mapped later does not cover the parrot;
#   (b') the word balloon goes when its line does;
#   (c) with no X server the tutor runs natively, says once on stderr that
#       the compositor places its windows, and keeps running.
# Is skipped where weston or Xwayland are not installed.
#
# Usage: e2e_wayland.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_wayland.sh PATH-TO-QUORVEL}

readonly WIDTH=1280 HEIGHT=800
readonly SOCKET=quorvel-e2e
# The strip's first-run left is half the screen less 2000 twips (15 a pixel);
# the parrot stands this far below the strip.
readonly FIRST_LEFT=$((WIDTH / 2 - 2000 / 15))
readonly PARROT_GAP=6

require_tools weston Xwayland xwininfo

e2e_init
unset DISPLAY

weston --backend=headless-backend.so --use-pixman --width="$WIDTH" --height="$HEIGHT" \
    --xwayland --socket="$SOCKET" --idle-time=0 --debug >"$E2E_WORK/weston.log" 2>&1 &
E2E_PIDS+=("$!")
xserver_named() { grep -qs 'xserver listening on display :[0-9]' "$E2E_WORK/weston.log"; }
if ! poll 20 xserver_named; then
    fail "weston starts with XWayland"
    cat "$E2E_WORK/weston.log" >&2
    finish
fi
pass "weston starts with XWayland"
x_display=$(grep -o 'xserver listening on display :[0-9]*' "$E2E_WORK/weston.log" | grep -o ':[0-9]*$')

# --- (a), (b) through XWayland -------------------------------------------
export WAYLAND_DISPLAY=$SOCKET DISPLAY=$x_display
# The first client starts Xwayland; the tutor's windows come up after the
# 1.2 s welcome.
start_program "$program"
strip=$(wait_for_window Form1 30)
parrot=$(wait_for_window Peedy 10)
if [[ -z $strip || -z $parrot ]]; then
    fail "the strip and the parrot appear through XWayland"
    program_log >&2
    finish
fi
sleep 1
read -r sx sy sw sh < <(window_geometry "$strip")
read -r px py _ _ < <(window_geometry "$parrot")
e2e_log "strip at $sx,$sy ${sw}x$sh; parrot at $px,$py"
check "the strip is at its first-run place on the top edge ($sx,$sy)" \
    test "$sx" -eq "$FIRST_LEFT" -a "$sy" -eq 0
check "the parrot stands below the strip's right end ($px,$py)" \
    test "$px" -eq "$((sx + sw))" -a "$py" -eq "$((sy + sh + PARROT_GAP))"

# A maximized, focused window mapped later covers the parrot's place; the
# parrot stays above it. Xwayland's root is not the screen, so the pictures
# come from weston (its --debug lets the screenshooter in).
shoot()
{
    local shot
    rm -f "$E2E_WORK"/wayland-screenshot-*.png
    (cd "$E2E_WORK" && timeout 10 weston-screenshooter >/dev/null 2>&1)
    shot=$(find "$E2E_WORK" -maxdepth 1 -name 'wayland-screenshot-*.png' | head -n 1)
    [[ -n $shot ]] && mv "$shot" "$E2E_WORK/$1.png"
}
# Pixels of the parrot's green in its square of a picture.
green_pixels()
{
    convert "$E2E_WORK/$1.png" -crop "128x128+$px+$py" +repage \
        -fx '(g > r + 0.15 && g > b + 0.15) ? 1 : 0' -format '%[fx:round(mean * w * h)]' info:
}
if command -v weston-terminal >/dev/null 2>&1 && shoot before; then
    (cd "$E2E_WORK" && weston-terminal --maximized >/dev/null 2>&1) &
    E2E_PIDS+=("$!")
    sleep 3
    shoot after
    before=$(green_pixels before) after=$(green_pixels after)
    check "the parrot shows in weston's picture ($before green pixels)" test "$before" -gt 500
    check "a maximized window mapped later leaves the parrot above it ($after of $before)" \
        test "$((after * 10))" -ge "$((before * 9))"
    [[ -n ${E2E_SHOTS:-} ]] && cp "$E2E_WORK/after.png" "$E2E_SHOTS/wayland-xwayland.png"
else
    printf 'SKIP: weston-terminal or weston-screenshooter is missing or failed\n'
fi

# The word balloon comes with each Italian line and goes before the next:
# XWayland shows a window's whole picture, so pixels its shape once hid
# would stay on the screen.
balloon_pixels()
{
    local left=$((px > 450 ? px - 450 : 0))
    convert "$E2E_WORK/$1.png" -crop "$((px - left))x140+$left+$((py - 10))" +repage \
        -fx '(r > 0.97 && g > 0.96 && b > 0.9 && b < 0.98) ? 1 : 0' \
        -format '%[fx:round(mean * w * h)]' info:
}
with=0 without=0
for shot in $(seq 1 16); do
    shoot "balloon-$shot" || break
    if (($(balloon_pixels "balloon-$shot") > 1500)); then
        with=$((with + 1))
    else
        without=$((without + 1))
    fi
    sleep 0.5
done
check "the balloon shows in some pictures ($with of 16) and has gone in others ($without)" \
    test "$with" -gt 0 -a "$without" -gt 0
end_process "$PROGRAM_PID"

# --- (c) natively, with no X server ----------------------------------------
unset DISPLAY
start_program "$program"
native_log="$E2E_WORK/program.$((${#E2E_PIDS[@]} - 1)).log"
sleep 4
check "natively on Wayland the tutor keeps running" is_running "$PROGRAM_PID"
said=$(grep -c 'the compositor decides where' "$native_log")
check "it says once that the compositor places its windows ($said times)" test "$said" -eq 1
check "and says nothing else on stderr" test "$(grep -vc '^$' "$native_log")" -eq 1
end_process "$PROGRAM_PID"

finish
