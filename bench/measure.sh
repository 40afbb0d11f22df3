#!/usr/bin/env bash
# bench/measure.sh PROGRAM BARE_WINDOW RUNS PLAY_SECONDS [SPEECH_MEMORY]
# Start-up time, peak and steady memory, CPU and wake-ups (voluntary context
# switches of all threads) while the program plays, beside a bare Qt window;
# given SPEECH_MEMORY (bench/speech_memory.cpp), also how much resident
# memory reading sentences aloud adds.
set -euo pipefail
source "$(dirname "$0")/display.sh"
program=$(readlink -f "$1")
bare=$(readlink -f "$2")
runs=$3
play_seconds=$4
speech_memory=${5:+$(readlink -f "$5")}

# The designed welcome: Form1 appears 20 ticks of 60 ms after start-up.
welcome_ms=1200
ticks_per_second=$(getconf CLK_TCK)

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
pulse_pid=""
# The tutor starts a speech daemon on demand in its runtime folder; it
# outlives the tutor, so end it with the run. With no sound card it can hang
# on its way out and ignore the polite request, and the next runs would be
# measured beside it.
stop_speech() {
    pkill -f -- "--socket-path $work/" 2>/dev/null || return 0
    for _ in $(seq 20); do
        pgrep -f -- "--socket-path $work/" >/dev/null || return 0
        sleep 0.1
    done
    pkill -KILL -f -- "--socket-path $work/" 2>/dev/null || true
}

cleanup() {
    if [[ -n "$app_pid" ]]; then kill "$app_pid" 2>/dev/null || true; fi
    stop_speech
    if [[ -n "$pulse_pid" ]]; then kill "$pulse_pid" 2>/dev/null || true; fi
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

start_bench_display "$work"

now_ms() { date +%s%3N; }

# Milliseconds from start until a visible window named $2 exists for pid $1.
wait_mapped() {
    local pid=$1 name=$2 start=$3
    for _ in $(seq 2000); do
        # Qt adds the application's display name to a window's title.
        if [[ -n $(xdotool search --all --onlyvisible --pid "$pid" --name "^${name}( |\$)" 2>/dev/null) ]]; then
            echo $(( $(now_ms) - start ))
            return 0
        fi
        sleep 0.005
    done
    echo "window '$name' never appeared" >&2
    return 1
}

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }
hwm_kb() { awk '/^VmHWM/ {print $2}' "/proc/$1/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Wake-ups: a thread's voluntary context switches count the times it blocked
# (in poll, a futex, ...) and was woken again. One line per thread of pid $1:
#   TID VOLUNTARY_SWITCHES POOLED(1 if its name is "Thread (pooled)", else 0)
thread_switches() {
    awk 'FNR == 1 { n = split(FILENAME, p, "/"); tid = p[n - 1] }
         /^Name:/ { name = $0; sub(/^Name:[ \t]*/, "", name) }
         /^voluntary_ctxt_switches:/ { print tid, $2, (name == "Thread (pooled)") }' \
        "/proc/$1/task/"*/status 2>/dev/null || true
}

# Samples the wake-ups of every thread of pid $1 every $sample_ms for $2
# seconds. Threads that start within the window count from zero; a thread
# that ends loses at most its last sample interval. Sets wake_all and
# wake_pooled (per second over the whole window) and wake_quiet (per second
# over the quietest $quiet_seconds stretch: a line just staying up, the
# parrot still).
sample_ms=500
quiet_seconds=2
sample_wakeups() {
    local pid=$1 seconds=$2
    local -A last=()
    local -a interval_all=()
    local total_all=0 total_pooled=0 tid count pooled
    while read -r tid count pooled; do last[$tid]=$count; done < <(thread_switches "$pid")
    local samples=$(( seconds * 1000 / sample_ms )) start_ms i
    start_ms=$(now_ms)
    for (( i = 1; i <= samples; i++ )); do
        # Sleep to the next tick of a fixed schedule so the window stays $2 s.
        local wait_ms=$(( start_ms + i * sample_ms - $(now_ms) ))
        if (( wait_ms > 0 )); then
            sleep "$(awk -v m="$wait_ms" 'BEGIN {printf "%.3f", m / 1000}')"
        fi
        local sum=0
        while read -r tid count pooled; do
            local delta=$(( count - ${last[$tid]:-0} ))
            last[$tid]=$count
            sum=$(( sum + delta ))
            if (( pooled )); then total_pooled=$(( total_pooled + delta )); fi
        done < <(thread_switches "$pid")
        interval_all+=("$sum")
        total_all=$(( total_all + sum ))
    done
    local per_stretch=$(( quiet_seconds * 1000 / sample_ms ))
    wake_all=$(awk -v n="$total_all" -v s="$seconds" 'BEGIN {printf "%.1f", n / s}')
    wake_pooled=$(awk -v n="$total_pooled" -v s="$seconds" 'BEGIN {printf "%.1f", n / s}')
    wake_quiet=$(printf '%s\n' "${interval_all[@]}" | awk -v k="$per_stretch" -v s="$quiet_seconds" '
        { v[NR] = $1 }
        END { best = -1
              for (i = 1; i + k - 1 <= NR; i++) {
                  t = 0; for (j = i; j < i + k; j++) t += v[j]
                  if (best < 0 || t < best) best = t }
              printf "%.1f", (best < 0 ? 0 : best) / s }')
}

# One run: start, wait for the window, let it run, read the figures.
#   measure_one PROGRAM WINDOW_NAME SETTLE_SECONDS MEASURE_SECONDS [ARGUMENT...]
# prints: startup_ms peak_kb steady_kb cpu_ms_per_minute
#         wakeups_per_s pooled_wakeups_per_s quietest_wakeups_per_s
measure_one() {
    local exe=$1 name=$2 settle=$3 seconds=$4
    shift 4
    export XDG_CONFIG_HOME="$work/config.$RANDOM"
    export XDG_RUNTIME_DIR="$work/runtime.$RANDOM"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    local start
    start=$(now_ms)
    "$exe" "$@" >/dev/null 2>&1 &
    app_pid=$!
    local mapped
    mapped=$(wait_mapped "$app_pid" "$name" "$start")
    sleep "$settle"
    local t0 t1
    t0=$(cpu_ticks "$app_pid")
    sample_wakeups "$app_pid" "$seconds"
    t1=$(cpu_ticks "$app_pid")
    local steady peak
    steady=$(rss_kb "$app_pid")
    peak=$(hwm_kb "$app_pid")
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    stop_speech
    local cpu_ms=$(( (t1 - t0) * 1000 / ticks_per_second ))
    echo "$mapped $peak $steady $(( cpu_ms * 60 / seconds )) $wake_all $wake_pooled $wake_quiet"
}

# median / min / max of the numbers on stdin
stats() { LC_ALL=C sort -n | awk '{v[NR]=$1} END {m=(NR%2)?v[(NR+1)/2]:(v[NR/2]+v[NR/2+1])/2; printf "%s %s %s\n", m, v[1], v[NR]}'; }

declare -a app_rows bare_rows
for i in $(seq "$runs"); do
    echo "run $i/$runs: tutor (${play_seconds}s of playback) ..." >&2
    # Playback starts about 4.1 s after start-up; settle past it.
    app_rows+=("$(measure_one "$program" Form1 6 "$play_seconds")")
    echo "run $i/$runs: bare window ..." >&2
    bare_rows+=("$(measure_one "$bare" bare 2 "$play_seconds")")
done

column_of() { local col=$1; shift; printf '%s\n' "$@" | awk -v c="$col" '{print $c}'; }

# What showing changes costs here: the bare window again, repainted as often
# as the tutor woke, its pixels copied over the X connection as the tutor's
# are. Machines differ several times over in this, so the tutor's CPU reads
# best beside it.
rate=$(column_of 5 "${app_rows[@]}" | stats | awk '{print $1}')
declare -a busy_rows
for i in $(seq "$runs"); do
    echo "run $i/$runs: bare window repainted ${rate} times a second ..." >&2
    busy_rows+=("$(export QT_XCB_NO_MITSHM=1; measure_one "$bare" bare 2 "$play_seconds" "$rate")")
done

row() {
    local label=$1 unit=$2 col=$3 adjust=$4
    read -r am amin amax < <(column_of "$col" "${app_rows[@]}" | awk -v a="$adjust" '{print (a == 0 ? $1 : $1 - a)}' | stats)
    read -r bm bmin bmax < <(column_of "$col" "${bare_rows[@]}" | stats)
    local ratio="-"
    if awk -v b="$bm" 'BEGIN {exit !(b > 0)}'; then
        ratio=$(awk -v a="$am" -v b="$bm" 'BEGIN {printf "%.2f", a / b}')
    fi
    printf '| %-34s | %-5s | %8s (%s..%s) | %8s (%s..%s) | %5s |\n' \
        "$label" "$unit" "$am" "$amin" "$amax" "$bm" "$bmin" "$bmax" "$ratio"
}

cpu_model=$(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)
echo
echo "Machine: $(nproc) cores, ${cpu_model:-unknown CPU}, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo); Xvfb 1280x800; $runs runs, ${play_seconds} s each"
echo
echo "| figure                             | unit  | Quorvel median (min..max) | bare window median (min..max) | ratio |"
echo "|------------------------------------|-------|---------------------------|-------------------------------|-------|"
row "start to strip mapped, less welcome" "ms" 1 "$welcome_ms"
row "peak resident memory" "KiB" 2 0
row "steady resident memory" "KiB" 3 0
row "CPU time per minute of playback" "ms" 4 0
row "wake-ups, all threads" "1/s" 5 0
row "wake-ups, \"Thread (pooled)\" threads" "1/s" 6 0
row "wake-ups, quietest ${quiet_seconds} s stretch" "1/s" 7 0
echo
echo "CPU per minute as a share of one core: Quorvel $(column_of 4 "${app_rows[@]}" | stats | awk '{printf "%.2f%%", $1 / 600}')"
read -r busy busy_min busy_max < <(column_of 4 "${busy_rows[@]}" | stats)
echo "The bare window repainted ${rate} times a second (as often as the tutor woke): CPU time $busy ($busy_min..$busy_max) ms per minute"

# Memory per sentence read aloud. Without a sound device the speech service
# never begins a sentence, so it plays into a private PulseAudio null sink.
# The parrot is given sentence after sentence, each read to its end at the
# fastest pace: about 12 minutes for 500 on two cores.
speech_sentences=500
speech_warm_up=50
if [[ -z "$speech_memory" ]]; then
    exit 0
fi
echo
if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
    echo "Memory per sentence read aloud: skipped (PulseAudio is not installed)"
    exit 0
fi
echo "reading $speech_sentences sentences aloud ..." >&2
export XDG_CONFIG_HOME="$work/config.speech" XDG_RUNTIME_DIR="$work/runtime.speech"
export HOME="$work/home" # PulseAudio keeps files there
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --load="module-null-sink sink_name=bench" --load=module-native-protocol-unix \
    >"$work/pulse.log" 2>&1 &
pulse_pid=$!
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
read -r warm_kb end_kb growth_kb sentences unanswered < <("$speech_memory" --parrot --whole --fast \
    "$speech_warm_up" "$speech_sentences")
stop_speech
echo "Resident memory growth over $sentences sentences read aloud (after $speech_warm_up to warm up, $unanswered never begun): $growth_kb KiB ($warm_kb to $end_kb KiB)"
