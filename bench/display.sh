#!/usr/bin/env bash
# Sourced by the bench scripts: a private Xvfb of our own.

# Starts Xvfb on a free display number, written to FOLDER/display; sets
# xvfb_pid and exports DISPLAY. The tutor then runs on X11, not Wayland.
start_bench_display() {
    local folder=$1
    Xvfb -noreset -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4>"$folder/display" 2>/dev/null &
    # shellcheck disable=SC2034 # the sourcing script ends it
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s "$folder/display" ]] && break; sleep 0.05; done
    DISPLAY=":$(head -n1 "$folder/display")"
    export DISPLAY
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}
