#!/usr/bin/env bash
# The command channel (lock and socket) when others get in its way:
#   (a) XDG_RUNTIME_DIR unset, and another user made the fallback folder in
#       the temporary folder first, with a live lock and a listening socket
#       in it: the tutor still shows its strip, and --next, a second start
#       and --quit reach it, never the other user's listener;
#   (b) 1,100 idle connections to a tutor limited to 1,024 descriptors:
#       afterwards --next exits 0, a second start exits 0 and raises the
#       strip above a window that covered it, and --quit ends the tutor;
#   (c) accepting fails for want of descriptors (the limit lowered to what
#       is in use): the socket goes, and comes back once there are
#       descriptors again, so the same commands work.
# Skipped unless run as root (the other user is nobody) with setpriv,
# prlimit, xmessage and a python3 that nobody can run.
#
# Usage: e2e_channel.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_channel.sh PATH-TO-QUORVEL}
nobody=65534
storm_size=1100
fd_limit=1024
storm_hold_s=3

e2e_init
[[ $(id -u) == 0 ]] || e2e_skip "needs root to act as another user"
for tool in setpriv prlimit xmessage; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not installed"
done
as_nobody() { setpriv --reuid="$nobody" --regid="$nobody" --clear-groups "$@"; }
chmod 711 "$E2E_WORK"
python=""
for candidate in /usr/bin/python3 "$(command -v python3)"; do
    if [[ -x $candidate ]] && as_nobody "$candidate" -c '' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[[ -n $python ]] || e2e_skip "no python3 that another user can run"

start_xvfb 1280x800x24
# One client stays connected, so the X server does not reset between starts.
xprop -spy -root >/dev/null 2>&1 &
E2E_PIDS+=("$!")
# This is about the channel, not speech.
export SPEECHD_CMD=/nonexistent/speech-dispatcher

run_option()
{
    "$@" >"$E2E_WORK/out" 2>"$E2E_WORK/err"
    RUN_STATUS=$?
}

# Whether window $1 is stacked above window $2 (no window manager here:
# xwininfo lists the root window's children top first).
stacked_above()
{
    local order upper lower
    order=$(xwininfo -root -children 2>/dev/null | awk '/^ +0x/ { print $1 }')
    upper=$(grep -n -x "$(printf '0x%x' "$1")" <<<"$order" | cut -d: -f1)
    lower=$(grep -n -x "$(printf '0x%x' "$2")" <<<"$order" | cut -d: -f1)
    [[ -n $upper && -n $lower ]] && ((upper < lower))
}

# With another window over the strip, a later start exits 0, the tutor runs
# on and its strip comes to the front.
later_start_brings_forward()
{
    local sx sy sw sh coverer cover result=1
    read -r sx sy sw sh < <(window_geometry "$strip") || return 1
    xmessage -geometry "${sw}x${sh}+${sx}+${sy}" cover >/dev/null 2>&1 &
    coverer=$!
    E2E_PIDS+=("$coverer")
    if cover=$(wait_for_window xmessage 5) && stacked_above "$cover" "$strip"; then
        run_option "$@" "$program"
        [[ $RUN_STATUS == 0 ]] && is_running "$tutor" && poll 3 stacked_above "$strip" "$cover" &&
            result=0
    fi
    end_process "$coverer"
    wait_for_no_window xmessage 5
    return "$result"
}

# Sends --next, a second start and --quit with the environment in "$@";
# the tutor must end.
commands_reach_tutor()
{
    local part=$1
    shift
    run_option "$@" "$program" --next
    check "($part) --next exits 0" test "$RUN_STATUS" = 0
    check "($part) a second start exits 0 and brings the first forward" \
        later_start_brings_forward "$@"
    run_option "$@" "$program" --quit
    check "($part) --quit exits 0" test "$RUN_STATUS" = 0
    check "($part) ... and ends the tutor" wait_for_exit "$tutor" 10
}

start_tutor()
{
    start_program "$@" "$program"
    tutor=$PROGRAM_PID
    strip=$(wait_for_window Form1 20)
    [[ -n $strip ]]
}

# --- (a) another user's folder in the temporary folder ----------------------
shared="$E2E_WORK/tmp"
mkdir "$shared"
chmod 1777 "$shared"
heard="$E2E_WORK/squatter.log"
install -m 644 -o "$nobody" /dev/null "$heard"
# The lock names a live process of a program called quorvel, as the other
# user's own copy would.
mkdir -m 755 "$E2E_WORK/bin"
install -m 755 "$(command -v sleep)" "$E2E_WORK/bin/quorvel"

# As nobody: makes FOLDER with a lock and a listening socket in it, and
# writes to $heard whatever reaches that socket.
squat()
{
    local folder=$1
    start_program setpriv --reuid="$nobody" --regid="$nobody" --clear-groups "$python" -c '
import os, socket, subprocess, sys
folder, heard, holder = sys.argv[1:4]
os.mkdir(folder, 0o755)
held = subprocess.Popen([holder, "120"])
with open(folder + "/quorvel.lock", "w") as lock:
    lock.write("%d\nquorvel\n%s\n" % (held.pid, socket.gethostname()))
server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
server.bind(folder + "/quorvel.socket")
os.chmod(folder + "/quorvel.socket", 0o777)
server.listen(64)
open(folder + "/ready", "w").close()
while True:
    client, _ = server.accept()
    client.settimeout(2)
    try:
        data = client.recv(64)
    except OSError:
        data = b"?"
    with open(heard, "ab") as log:
        log.write(data or b"(connected)\n")
    client.close()
' "$folder" "$heard" "$E2E_WORK/bin/quorvel"
    poll 5 test -e "$folder/ready" || return 1
    E2E_PIDS+=("$(head -n 1 "$folder/quorvel.lock")")
}

# The folder by user id, and those an older tutor fell back to (Qt's
# runtime-<name>, then quorvel-$USER).
squat_folder="$shared/quorvel-$(id -u)"
if squat "$squat_folder" && squat "$shared/quorvel-${USER:-user}" &&
    as_nobody mkdir "$shared/runtime-$(id -un)"; then
    unset_runtime=(env -u XDG_RUNTIME_DIR TMPDIR="$shared")
    if start_tutor "${unset_runtime[@]}"; then
        pass "(a) the tutor shows its strip though another user holds its folders"
        check "(a) its socket is in a folder of its own" test -S "$squat_folder.1/quorvel.socket"
        commands_reach_tutor a "${unset_runtime[@]}"
    else
        fail "(a) the tutor shows its strip though another user holds its folders"
    fi
    check "(a) the other user's listeners heard nothing ($(tr '\n' ' ' <"$heard"))" test ! -s "$heard"
else
    fail "(a) the other user's listeners are ready"
fi

# --- (b) a flood of idle connections under a descriptor limit ---------------
socket_file="$XDG_RUNTIME_DIR/quorvel.socket"
# Opens COUNT connections, holds them for HOLD seconds, closes them; prints
# how many it opened.
flood()
{
    timeout 60 prlimit --nofile=$((storm_size * 2)) -- "$python" -c '
import socket, sys, time
path, count, hold = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
opened = []
for _ in range(count):
    client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        client.connect(path)
        opened.append(client)
    except OSError:
        client.close()
print(len(opened))
sys.stdout.flush()
time.sleep(hold)
for client in opened:
    client.close()
' "$socket_file" "$1" "$2"
}

if start_tutor prlimit --nofile="$fd_limit:$fd_limit" --; then
    opened=$(flood "$storm_size" "$storm_hold_s")
    check "(b) the flood opened more connections than the limit ($opened)" \
        test "${opened:-0}" -gt "$fd_limit"
    check "(b) the tutor outlives the flood" is_running "$tutor"
    commands_reach_tutor b
else
    fail "(b) the strip comes up under a $fd_limit descriptor limit"
fi
wait_for_no_window Form1 10

# --- (c) accepting fails for want of descriptors ----------------------------
lowest_free_fd()
{
    local fd=0
    while [[ -e /proc/$1/fd/$fd ]]; do
        fd=$((fd + 1))
    done
    printf '%s\n' "$fd"
}
# Whether the socket takes a connection (the tutor drops it, idle, later).
listening()
{
    "$python" -c '
import socket, sys
client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
client.settimeout(1)
client.connect(sys.argv[1])
' "$socket_file" 2>/dev/null
}
not_listening() { ! listening; }

if start_tutor; then
    soft=$(prlimit --pid "$tutor" --nofile --noheadings --output SOFT)
    prlimit --pid "$tutor" --nofile="$(lowest_free_fd "$tutor"):"
    flood 1 1 >/dev/null
    check "(c) with no descriptor left the socket is gone" poll 5 not_listening
    prlimit --pid "$tutor" --nofile="$soft:"
    check "(c) with descriptors again it listens again" poll 15 listening
    commands_reach_tutor c
else
    fail "(c) the strip comes up"
fi

finish
