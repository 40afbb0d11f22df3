#!/usr/bin/env bash
# Times the running tutor's display cycle from the screen: starts it under
# Xvfb with the first-run settings (Italian first, 5 s and 3 s) and with
# English first at 15 s and 15 s, lets bench/strip_watch grab the strip's
# pixels every 10 ms, and prints the cycle's length and each phase against
# its rule.
#   bench/cycle.sh [seconds for 5/3] [seconds for 15/15]
set -euo pipefail
cd "$(dirname "$0")/.."
short_seconds=${1:-60}
long_seconds=${2:-130}
after_welcome=6 # s from the strip's mapping until playback has surely begun

scripts/build default quorvel strip_watch >/dev/null 2>&1 || {
    echo "the build failed: run scripts/build default quorvel strip_watch" >&2
    exit 1
}
program=$(readlink -f build/default/src/quorvel)
watch=$(readlink -f build/default/bench/strip_watch)

work=""
xvfb_pid=""
app_pid=""
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
    # The speech daemon the tutor started in this run's runtime folder; with
    # no sound card it may not end on request.
    local pid_file="$work/runtime/speech-dispatcher/pid/speech-dispatcher.pid" pid
    if [[ -n "$work" && -f "$pid_file" ]]; then
        pid=$(tr -dc '0-9' <"$pid_file")
        [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null || true
    fi
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    [[ -n "$work" ]] && rm -rf "$work"
    work="" xvfb_pid="" app_pid=""
}
trap cleanup EXIT

# run SECONDS ITALIAN ENGLISH ORDER [stored settings lines]
run() {
    local seconds=$1 italian=$2 english=$3 order=$4
    shift 4
    work=$(mktemp -d)
    mkdir -m 0700 "$work/config" "$work/runtime"
    if (($# > 0)); then
        printf '[Italian]\n' >"$work/config/Brix.conf"
        printf '%s\n' "$@" xxx=1 >>"$work/config/Brix.conf"
    fi
    Xvfb -noreset -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s "$work/display" ]] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$work/display")"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$program" >/dev/null 2>&1 &
    app_pid=$!
    local window=""
    for _ in $(seq 400); do
        window=$(xdotool search --all --onlyvisible --pid "$app_pid" --name '^Form1( |$)' 2>/dev/null |
            head -n1) && [[ -n "$window" ]] && break
        sleep 0.05
    done
    [[ -n "$window" ]] || { echo "the strip never appeared" >&2; return 1; }
    sleep "$after_welcome"
    echo "== $(((order == 1)) && echo Italian || echo English) first, Italian ${italian} s, English ${english} s, ${seconds} s watched"
    XDG_RUNTIME_DIR="$work/runtime" "$watch" "$window" "$seconds" "$italian" "$english" "$order" \
        2>"${EVENTS:-/dev/null}"
    cleanup
}

run "$short_seconds" 5 3 1
run "$long_seconds" 15 15 0 ce=0 ctime=15 etime=15
