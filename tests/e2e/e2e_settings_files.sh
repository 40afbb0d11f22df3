#!/usr/bin/env bash
# Settings that cannot be kept are said once, and what is stored survives.
# Run as an unprivileged user, since root may read and write any file:
#   - an existing settings file that cannot be read: one message naming it,
#     the tutor plays on, and the file is left byte for byte as it was;
#   - a read-only config folder: one message, and the tutor plays on;
#   - XDG_CONFIG_HOME pointing at a file: one message, and it plays on.
# Run as root, in a mount namespace of its own:
#   - a disk full to the last byte when Settings saves and writes the log-on
#     entry: both files are left byte for byte, both failures are said, and
#     --quit ends the tutor while the messages are up;
#   - a link to another program's file, a UTF-16 file and a named pipe where
#     the settings file goes: the strip plays while the message is up, --quit
#     ends it, and the thing in its place is as it was.
#
# Usage: e2e_settings_files.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_settings_files.sh PATH-TO-QUORVEL}
nobody=65534

if ! command -v setpriv >/dev/null || ! command -v unshare >/dev/null || [[ $(id -u) != 0 ]]; then
    e2e_skip "needs root, setpriv and unshare"
fi
# The small file systems mounted here vanish with the namespace.
if [[ -z ${QUORVEL_E2E_NAMESPACE:-} ]]; then
    QUORVEL_E2E_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi
e2e_init
start_xvfb 1280x800x24
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
    screenshot "settings-files-$(tr -dc '[:lower:]' <<<"$what")"
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

# --- as root: a full disk, and things in the file's place --------------------
files_unchanged()
{
    local file
    for file in "$@"; do
        [[ $(md5sum <"$file") == "${KEPT[$file]}" ]] || return 1
    done
}
no_temporary_files() { [[ -z $(find "$@" -maxdepth 1 -name '*.??????') ]]; }
program_says() { program_log | grep -qF -- "$1"; }

# Starts the tutor as root on CONFIG; STRIP is its strip.
start_on()
{
    start_program env XDG_CONFIG_HOME="$1" "$program"
    STRIP=$(wait_for_window Form1 20)
    [[ -n $STRIP ]]
}

# --quit reaches the tutor while its messages are up, and it ends.
quits_at_once()
{
    local running=$PROGRAM_PID
    "$program" --quit && wait_for_exit "$running" 10 && [[ $EXIT_STATUS == 0 ]]
}

declare -A KEPT
config="$E2E_WORK/full"
mkdir -p "$config"
mount -t tmpfs -o size=256k tmpfs "$config"
mkdir -p "$config/autostart"
{
    printf '[Italian]\n'
    printf '%s\n' ce=1 ctime=7 etime=9 guage=4 guagen=10405 left=3000 mark=1 n=7 psave=1 rd=1 \
        red=0 sspeed=150 ssave=1 visi=0 voice=1 xxx=1
} >"$config/Brix.conf"
printf '[Desktop Entry]\nType=Application\nName=Quorvel\nExec=/old/place/quorvel\n' \
    >"$config/autostart/Italian.desktop"
for file in "$config/Brix.conf" "$config/autostart/Italian.desktop"; do
    KEPT[$file]=$(md5sum <"$file")
done
if start_on "$config"; then
    sleep 4 # the welcome, then the menu picture answers
    dd if=/dev/zero of="$config/filler" bs=4k >/dev/null 2>&1
    if open_settings_and_close "$STRIP" && wait_for_no_window 'Setting\.\.\.' 5; then
        check "full disk: the settings save is said, with its reason" \
            poll 5 program_says "cannot save its settings in $config/Brix.conf: the disk is full"
        check "full disk: the log-on entry's write is said, with its reason" \
            program_says "cannot write its start-at-log-on entry $config/autostart/Italian.desktop: the disk is full"
        check "full disk: both messages are up" poll 5 test "$(count_messages)" = 2
        screenshot settings-files-full-disk
        check "full disk: Brix.conf and Italian.desktop are byte for byte as they were" \
            files_unchanged "$config/Brix.conf" "$config/autostart/Italian.desktop"
        check "full disk: --quit ends it while the messages are up" quits_at_once
        check "full disk: Exit's own save left both files as they were" \
            files_unchanged "$config/Brix.conf" "$config/autostart/Italian.desktop"
        check "full disk: no temporary file is left" no_temporary_files "$config" "$config/autostart"
    else
        fail "full disk: the Settings dialog opens from the menu"
    fi
    end_process "$PROGRAM_PID"
    wait_for_no_window Form1 10
else
    fail "full disk: the strip comes up"
fi
umount "$config"

# Something that is not the tutor's settings file stands in its place.
refused_and_kept()
{
    local what=$1 config=$2 reason=$3
    if ! start_on "$config"; then
        fail "$what: the strip comes up while the message is up"
        return
    fi
    pass "$what: the strip comes up while the message is up"
    check "$what: one message" poll 10 test "$(count_messages)" = 1
    check "$what: it names the file and why" program_says "$config/Brix.conf: $reason"
    check "$what: --quit ends it while the message is up" quits_at_once
}

config="$E2E_WORK/linked"
mkdir -p "$config"
printf '#!/bin/sh\n# another program\nexec other --daemon "$@"\n' >"$E2E_WORK/other-program"
ln -s "$E2E_WORK/other-program" "$config/Brix.conf"
KEPT[$E2E_WORK/other-program]=$(md5sum <"$E2E_WORK/other-program")
refused_and_kept "link to another program's file" "$config" "line 3 is not a key=value line"
check "link to another program's file: that file is as it was" files_unchanged "$E2E_WORK/other-program"
check "link to another program's file: the link is still a link" test -L "$config/Brix.conf"

config="$E2E_WORK/utf16"
mkdir -p "$config"
printf '[Italian]\nxxx=1\nn=7\nguage=4\n' | iconv -f UTF-8 -t UTF-16 >"$config/Brix.conf"
KEPT[$config/Brix.conf]=$(md5sum <"$config/Brix.conf")
refused_and_kept "UTF-16 file" "$config" "it is saved as UTF-16 text"
check "UTF-16 file: left byte for byte as it was" files_unchanged "$config/Brix.conf"
check "UTF-16 file: nothing else was written beside it" test "$(ls "$config")" = Brix.conf

config="$E2E_WORK/pipe"
mkdir -p "$config"
mkfifo "$config/Brix.conf"
refused_and_kept "named pipe" "$config" "a named pipe is in its place"
check "named pipe: it is still a named pipe" test -p "$config/Brix.conf"

finish
