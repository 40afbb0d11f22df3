#!/usr/bin/env bash
# Times the running tutor's display cycle from the screen: starts it under
# Xvfb with the first-run settings (Italian first, 5 s and 3 s) and with
# English first at 15 s and 15 s, lets bench/strip_watch grab the strip's
# pixels every 10 ms, and prints the cycle's length and each phase against
# its rule.
#   bench/cycle.sh [seconds for 5/3] [seconds for 15/15] [seconds with Settings]
# Two more runs at 5 s and 3 s open Settings from the menu, and pause the
# tutor from the command line, four times for 1.7 s each, and time each
# phase they held, less the hold. Settings shows its window some tens of
# milliseconds after it holds the cycle, so the hold seen is that much
# short and the phase that much long; the commands return alike.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/display.sh
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
    if [[ -n "$app_pid" ]]; then kill "$app_pid" 2>/dev/null || true; fi
    # The speech daemon the tutor started in this run's runtime folder; with
    # no sound card it may not end on request.
    local pid_file="$work/runtime/speech-dispatcher/pid/speech-dispatcher.pid" pid
    if [[ -n "$work" && -f "$pid_file" ]]; then
        pid=$(tr -dc '0-9' <"$pid_file")
        if [[ -n "$pid" ]]; then kill -KILL "$pid" 2>/dev/null || true; fi
    fi
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    [[ -n "$work" ]] && rm -rf "$work"
    work="" xvfb_pid="" app_pid=""
}
trap cleanup EXIT

now_ms() { date +%s%3N; }
settings_up() { [[ -n $(xdotool search --onlyvisible --name '^Setting\.\.\.( |$)' 2>/dev/null) ]]; }
# Polls as fast as xdotool answers, for at most 10 s, until "$@" holds.
until_true() {
    local end=$(($(now_ms) + 10000))
    until "$@"; do (($(now_ms) < end)) || return 1; done
}
settings_gone() { ! settings_up; }

# Opens Settings from strip $1's menu as a person does, keeps it open $2 s
# and closes it with Escape; appends when it was seen open and closed.
hold_settings() {
    local sx sy sw sh mx my mw menu opened closed
    read -r sx sy sw sh < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF } /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { print x, y, w, h }')
    xdotool mousemove "$((sx + sw - 15))" "$((sy + sh / 2))"
    sleep 0.2
    xdotool mousemove "$((sx + sw - 12))" "$((sy + sh / 2))"
    for _ in $(seq 50); do
        menu=$(xdotool search --onlyvisible --name '^file( |$)' 2>/dev/null | head -n1)
        [[ -n "$menu" ]] && break
        sleep 0.1
    done
    read -r mx my mw < <(xwininfo -id "$menu" | awk '/Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF } /^ *Width:/ { w = $NF } END { print x, y, w }')
    xdotool mousemove "$((mx + mw / 2))" "$((my + 10))"
    sleep 0.2
    xdotool click 1
    until_true settings_up || { echo "Settings did not open" >&2; return 1; }
    opened=$(now_ms)
    sleep "$2"
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Setting\.\.\.' | head -n1)"
    xdotool key Escape
    until_true settings_gone || { echo "Settings did not close" >&2; return 1; }
    closed=$(now_ms)
    xdotool mousemove 640 700 # off the strip and its menu
    echo "$opened $closed" >>"$work/holds"
}

# The learner's pause through the command line, held $1 s: each command
# returns once the tutor has it.
hold_pause() {
    local paused resumed
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$program" --pause >/dev/null
    paused=$(now_ms)
    sleep "$1"
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$program" --resume >/dev/null
    resumed=$(now_ms)
    echo "$paused $resumed" >>"$work/holds"
}

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
    start_bench_display "$work"
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
    echo "== $( ((order == 1)) && echo Italian || echo English) first, Italian ${italian} s, English ${english} s, ${seconds} s watched"
    XDG_RUNTIME_DIR="$work/runtime" "$watch" "$window" "$seconds" "$italian" "$english" "$order" \
        >"$work/summary" 2>"$work/events" &
    local watch_pid=$!
    if [[ -n "${HOLD_AT:-}" ]]; then
        # Settings or a pause, held at these seconds into the watch, 1.7 s each.
        local at elapsed=0
        for at in $HOLD_AT; do
            sleep "$((at - elapsed))"
            if [[ $HOLD == settings ]]; then hold_settings "$window" 1.7; else hold_pause 1.7; fi
            elapsed=$((at + 3))
        done
    fi
    wait "$watch_pid"
    # With holds, only the held phases are worth reporting.
    [[ -n "${HOLD_AT:-}" ]] || cat "$work/summary"
    [[ -n "${EVENTS:-}" ]] && cp "$work/events" "$EVENTS"
    [[ -f "$work/holds" ]] && held_figures "${HOLD/settings/Settings open}"
    cleanup
}

# Each phase that was held, less the hold, against its rule: the Italian
# one 5.1 s, the English one 3.1 s at 5 s and 3 s.
held_figures() {
    awk -v italian="$italian" -v english="$english" -v hold="$1" '
        FNR == NR { opened[++holds] = $1; closed[holds] = $2; next }
        $3 == "off" {
            if (last) {
                for (h = 1; h <= holds; ++h) {
                    if (opened[h] > last && closed[h] < $1) {
                        rule = ($2 == "Italian" ? italian : english) * 1000 + 100
                        phase = $1 - last - (closed[h] - opened[h])
                        printf "%-40s rule %6.2f s: %6.2f s held %.2f s, error %+.2f%%\n", \
                            $2 " phase, " hold, rule / 1000, phase / 1000, \
                            (closed[h] - opened[h]) / 1000, 100 * (phase - rule) / rule
                    }
                }
            }
            last = $1
        }' "$work/holds" "$work/events"
}

# 0 seconds leaves a run out.
((short_seconds == 0)) || run "$short_seconds" 5 3 1
((long_seconds == 0)) || run "$long_seconds" 15 15 0 ce=0 ctime=15 etime=15
((${3:-45} == 0)) || HOLD=settings HOLD_AT="3 13 21 30" run "${3:-45}" 5 3 1
((${3:-45} == 0)) || HOLD=paused HOLD_AT="3 13 21 30" run "${3:-45}" 5 3 1
