#!/usr/bin/env bash
# Settings that cannot be kept are said once, and what is stored survives.
# Run as an unprivileged user, since root may read and write any file:
#   - an existing settings file that cannot be read: one message naming it,
#     the tutor plays on, and the file is left byte for byte as it was;
#   - a read-only config folder: one message, and the tutor plays on;
#   - XDG_CONFIG_HOME pointing at a file: one message, and it plays on.
#
# Usage: e2e_settings_files.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_settings_files.sh PATH-TO-QUORVEL}
nobody=65534

e2e_init
if ! command -v setpriv >/dev/null || [[ $(id -u) != 0 ]]; then
    echo "SKIP: needs root and setpriv to run the tutor as an unprivileged user"
    finish
fi
start_xvfb 1280x800x24 || {
    fail "Xvfb starts"
    finish
}
chmod 711 "$E2E_WORK"

# Runs the tutor as nobody with CONFIG as its XDG_CONFIG_HOME.
start_as_nobody()
{
    local config=$1 home="$E2E_WORK/home.$RANDOM"
    mkdir -p "$home/runtime"
    chmod 700 "$home/runtime"
    chown -R "$nobody:$nobody" "$home"
    start_program setpriv --reuid="$nobody" --regid="$nobody" --clear-groups \
        env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$config" "$program"
}

count_messages() { xdotool search --onlyvisible --name "$(title_pattern 'File problem')" 2>/dev/null | wc -l; }

# The one message: up once, named after the file; dismissed, it stays away
# while the strip plays on.
says_once()
{
    local what=$1 file=$2 box
    box=$(wait_for_window 'File problem' 20)
    if [[ -z $box ]]; then
        fail "$what: a message names the problem"
        return
    fi
    pass "$what: a message names the problem"
    check "$what: just one message" test "$(count_messages)" = 1
    screenshot "settings-files-$(tr -dc 'a-z' <<<"$what")"
    # No window manager here to give the box the keyboard; a person would click it.
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key Return
    check "$what: the strip plays on" test -n "$(wait_for_window Form1 20)"
    sleep 3
    check "$what: no second message" test "$(count_messages)" = 0
    check "$what: still running" is_running "$PROGRAM_PID"
    end_process "$PROGRAM_PID"
    wait_for_no_window Form1 10
    [[ -n $file ]] || return 0
}

# --- a settings file that cannot be read --------------------------------------
config="$E2E_WORK/unreadable"
mkdir -p "$config"
printf '[Italian]\nxxx=1\nn=7\nguage=4\nleft=3000\n' >"$config/Brix.conf"
chown -R "$nobody:$nobody" "$config"
chmod 000 "$config/Brix.conf"
before=$(md5sum <"$config/Brix.conf")
start_as_nobody "$config"
says_once "unreadable file" "$config/Brix.conf"
check "unreadable file: left byte for byte as it was" test "$(md5sum <"$config/Brix.conf")" = "$before"

# --- a read-only config folder -----------------------------------------------
config="$E2E_WORK/read-only"
mkdir -p "$config"
chown "$nobody:$nobody" "$config"
chmod 555 "$config"
start_as_nobody "$config"
says_once "read-only folder" ""
check "read-only folder: nothing was written in it" test -z "$(ls -A "$config")"

# --- XDG_CONFIG_HOME is a file -----------------------------------------------
config="$E2E_WORK/a-file"
printf 'not a folder\n' >"$config"
chown "$nobody:$nobody" "$config"
start_as_nobody "$config"
says_once "config home is a file" ""
check "config home is a file: it is left as it was" test "$(cat "$config")" = "not a folder"

finish
