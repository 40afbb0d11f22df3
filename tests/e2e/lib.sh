#!/usr/bin/env bash
# Helpers for the end-to-end tests: each e2e_*.sh sources this file, runs the
# real program (its path is $1) on a private Xvfb display with private
# settings and runtime folders, works it with xdotool like a person, and
# reports PASS/FAIL lines. The exit status is non-zero when anything failed.
#
#   e2e_init                    temporary folders, traps; call first
#   require_tools TOOL...       prints SKIP and exits $E2E_SKIP unless all are installed
#   e2e_skip REASON             prints SKIP and exits $E2E_SKIP (ctest: skipped)
#   start_xvfb [WxHxD]          a private X display on a free number (DISPLAY); ends the script if none
#   start_session_bus           a private session bus (DBUS_SESSION_BUS_ADDRESS); ends it if none
#   start_program PROG [ARGS]   starts the program in the background (PROGRAM_PID)
#   start_top_panel HEIGHT      a tint2 panel along the top, reserving its room (PANEL_PID)
#   wait_for_window NAME [S]    prints the id of the mapped window titled NAME
#   wait_for_no_window NAME [S] waits until no mapped window is titled NAME
#   titled_exactly WID TITLE    whether WM_NAME and _NET_WM_NAME are both TITLE
#   window_geometry WID         prints "X Y WIDTH HEIGHT" in screen pixels
#   read_setting KEY            prints KEY from [Italian] in Brix.conf
#   all_keys_written            whether Brix.conf holds all sixteen keys
#   wait_for_exit PID [S]       waits for a program started here to end; its status in EXIT_STATUS
#   open_settings_and_close WID opens Settings from strip WID's menu, sends Escape (which saves)
#   drag_by X Y DX DY           presses button 1 at X,Y, moves by DX,DY in steps, releases
#   screenshot NAME             saves the screen to $E2E_SHOTS/NAME.png if E2E_SHOTS is set
#   check DESC CMD...           runs CMD; prints PASS or FAIL with DESC
#   pass DESC / fail DESC       report one result
#   finish                      prints the summary and exits with the result
#   stop_all                    ends everything started here (runs on exit)

set -u

# ctest reports a script that exits with this as skipped, never as passed.
E2E_SKIP=77
E2E_FAILURES=0
E2E_PASSES=0
E2E_WORK=""
XVFB_PID=""
PROGRAM_PID=""
E2E_PIDS=()
SETTINGS_GROUP="Italian"
# The sixteen keys the tutor keeps, in the order it writes them first.
SETTING_KEYS=(ce n ctime etime rd psave ssave visi voice guage guagen red mark xxx left sspeed)

e2e_log() { printf '%s\n' "$*" >&2; }

pass()
{
    E2E_PASSES=$((E2E_PASSES + 1))
    printf 'PASS: %s\n' "$1"
}

fail()
{
    E2E_FAILURES=$((E2E_FAILURES + 1))
    printf 'FAIL: %s\n' "$1"
}

check()
{
    local description=$1
    shift
    if "$@"; then
        pass "$description"
    else
        fail "$description"
    fi
}

e2e_init()
{
    E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-e2e.XXXXXX") || exit 2
    # Never the real user's settings, autostart folder or runtime folder.
    export XDG_CONFIG_HOME="$E2E_WORK/config"
    export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # Nor the person's session bus: a test that needs one starts its own.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_WORK/no-session-bus"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
    trap stop_all EXIT
    trap 'exit 130' INT TERM
}

# A test that cannot run here is skipped with a line naming what is missing
# (scripts/test installs it).
require_tools()
{
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 ||
            e2e_skip "$tool is not installed (scripts/test installs it)"
    done
}

# A test that cannot run here at all: ctest reports it skipped, not passed.
e2e_skip()
{
    printf 'SKIP: %s\n' "$1"
    exit "$E2E_SKIP"
}

settings_file() { printf '%s/Brix.conf\n' "$XDG_CONFIG_HOME"; }

# Polls CMD every 0.2 s until it succeeds or SECONDS_ have passed.
poll()
{
    local seconds_=$1
    shift
    local tries=$((seconds_ * 5))
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

start_xvfb()
{
    local screen=${1:-1280x800x24}
    local numberFile="$E2E_WORK/display"
    # -displayfd picks the first free display number and writes it to fd 3.
    Xvfb -noreset -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numberFile" \
        >"$E2E_WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    if ! poll 10 grep -qs '[0-9]' "$numberFile"; then
        e2e_log "Xvfb did not start:"
        cat "$E2E_WORK/xvfb.log" >&2
        fail "Xvfb starts"
        finish
    fi
    DISPLAY=":$(tr -dc '0-9' <"$numberFile")"
    export DISPLAY
    if ! poll 10 display_ready; then
        fail "Xvfb starts"
        finish
    fi
    e2e_log "Xvfb on $DISPLAY ($screen)"
}

# A session bus of our own: never the person's.
start_session_bus()
{
    dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$E2E_WORK/bus" \
        >"$E2E_WORK/bus.log" 2>&1 &
    E2E_PIDS+=("$!")
    if ! poll 10 grep -qs 'unix:' "$E2E_WORK/bus"; then
        fail "a private session bus starts"
        finish
    fi
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$E2E_WORK/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

display_ready() { xdotool getmouselocation >/dev/null 2>&1; }

start_program()
{
    local log="$E2E_WORK/program.${#E2E_PIDS[@]}.log"
    "$@" >"$log" 2>&1 &
    PROGRAM_PID=$!
    E2E_PIDS+=("$PROGRAM_PID")
}

# A tint2 panel HEIGHT pixels high along the top of every monitor, with a
# taskbar, that reserves its room; its process in PANEL_PID.
start_top_panel()
{
    cat >"$E2E_WORK/tint2rc" <<TINT
panel_items = T
panel_position = top center horizontal
panel_size = 100% $1
panel_monitor = all
strut_policy = follow_size
taskbar_mode = single_desktop
TINT
    start_program tint2 -c "$E2E_WORK/tint2rc"
    # shellcheck disable=SC2034 # read by the scripts that source this file
    PANEL_PID=$PROGRAM_PID
}

program_log()
{
    cat "$E2E_WORK"/program.*.log 2>/dev/null
}

is_running() { kill -0 "$1" 2>/dev/null; }

# Gone, or only a zombie waiting for its parent.
is_gone()
{
    local state
    state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 0
    [[ -z $state || $state == Z ]]
}

# Ends one process started here: politely, again, then firmly.
end_process()
{
    local pid=$1 signal
    for signal in TERM TERM KILL; do
        is_gone "$pid" && return 0
        kill -s "$signal" "$pid" 2>/dev/null
        poll 2 is_gone "$pid" && return 0
    done
}

# EXIT_STATUS is read by the scripts that source this file.
# shellcheck disable=SC2034
wait_for_exit()
{
    local pid=$1 seconds_=${2:-10}
    EXIT_STATUS=""
    if poll "$seconds_" not_running "$pid"; then
        wait "$pid" 2>/dev/null
        EXIT_STATUS=$?
        return 0
    fi
    return 1
}

not_running() { ! is_running "$1"; }

# Titles are exactly the windows' own, with nothing added after them.
title_pattern() { printf '^%s$' "$1"; }

# Whether both of window WID's names (WM_NAME and _NET_WM_NAME) are TITLE.
titled_exactly()
{
    local names
    names=$(xprop -id "$1" WM_NAME _NET_WM_NAME 2>/dev/null) || return 1
    [[ $names == *"WM_NAME"*" = \"$2\""*"_NET_WM_NAME"*" = \"$2\"" ]]
}

find_window() { xdotool search --onlyvisible --name "$(title_pattern "$1")" 2>/dev/null | head -n 1; }

wait_for_window()
{
    local name=$1 seconds_=${2:-20} tries id
    tries=$((seconds_ * 5))
    while ((tries-- > 0)); do
        id=$(find_window "$name")
        if [[ -n $id ]]; then
            printf '%s\n' "$id"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

no_window() { [[ -z $(find_window "$1") ]]; }

wait_for_no_window() { poll "${2:-20}" no_window "$1"; }

window_geometry()
{
    xwininfo -id "$1" 2>/dev/null | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { if (w == "") exit 1; print x, y, w, h }'
}

screen_size() { xdotool getdisplaygeometry; }

# Whether the settings file holds every key the tutor keeps.
all_keys_written()
{
    local key
    for key in "${SETTING_KEYS[@]}"; do
        has_setting "$key" || return 1
    done
}

read_setting()
{
    local file
    file=$(settings_file)
    [[ -f $file ]] || return 1
    awk -v group="[$SETTINGS_GROUP]" -v key="$1" '
        /^\[/ { inside = ($0 == group); next }
        inside {
            eq = index($0, "=")
            if (eq > 0 && substr($0, 1, eq - 1) == key) { print substr($0, eq + 1); found = 1; exit }
        }
        END { exit !found }' "$file"
}

has_setting() { read_setting "$1" >/dev/null; }

open_settings_and_close()
{
    local sx sy sw sh mx my mw menu dialog
    read -r sx sy sw sh < <(window_geometry "$1") || return 1
    # From off the strip, one movement onto the picture opens the menu.
    xdotool mousemove "$((sx + sw / 2))" "$((sy + sh + 200))"
    sleep 0.2
    xdotool mousemove "$((sx + sw - 12))" "$((sy + sh / 2))"
    menu=$(wait_for_window file 5) || return 1
    read -r mx my mw _ < <(window_geometry "$menu") || return 1
    xdotool mousemove "$((mx + mw / 2))" "$((my + 10))"
    sleep 0.2
    xdotool click 1
    dialog=$(wait_for_window 'Setting\.\.\.' 5) || return 1
    # With no window manager nothing gives the dialog the keyboard.
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    xdotool key Escape
}

drag_by()
{
    local x=$1 y=$2 dx=$3 dy=$4 steps=20 i
    xdotool mousemove "$x" "$y"
    sleep 0.3 # let the strip sample the pointer before the press
    xdotool mousedown 1
    sleep 0.2
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove "$((x + dx * i / steps))" "$((y + dy * i / steps))"
        sleep 0.08
    done
    sleep 0.3 # the last sample must see where the pointer stopped
    xdotool mouseup 1
}

screenshot()
{
    [[ -n ${E2E_SHOTS:-} ]] || return 0
    mkdir -p "$E2E_SHOTS"
    import -window root "$E2E_SHOTS/$1.png" 2>/dev/null
}

speech_server_pid()
{
    # The speech service a program may have started for our runtime folder.
    local pidFile="$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid"
    [[ -f $pidFile ]] && tr -dc '0-9' <"$pidFile"
}

stop_all()
{
    local pid speech=""
    for pid in "${E2E_PIDS[@]}"; do
        end_process "$pid"
        wait "$pid" 2>/dev/null
    done
    # The speech services the programs started in our private folders, in
    # whichever runtime folder each was given; one that hangs on its way out
    # (no sound card) is killed.
    if [[ -n $E2E_WORK ]]; then
        for speech in $(pgrep -f -- "--socket-path $E2E_WORK/"); do
            end_process "$speech"
        done
    fi
    if [[ -n $XVFB_PID ]]; then
        end_process "$XVFB_PID"
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [[ -n $E2E_WORK ]]; then
        rm -rf "$E2E_WORK"
        E2E_WORK=""
    fi
}

finish()
{
    if ((E2E_FAILURES > 0)); then
        e2e_log "--- program output ---"
        program_log >&2
        printf 'FAIL: %d of %d checks failed\n' "$E2E_FAILURES" "$((E2E_FAILURES + E2E_PASSES))"
        exit 1
    fi
    printf 'PASS: all %d checks passed\n' "$E2E_PASSES"
    exit 0
}
