#!/usr/bin/env bash
# A screen reader's view: on a private session bus with its own AT-SPI bus,
# a client walks every accessible object the tutor offers and asks each for
# all its properties at once (Properties.GetAll) and for its name and role
# one at a time; the tutor survives all of it, and every object answers.
# Is skipped where at-spi2-core or gdbus are not installed.
#
# Usage: e2e_atspi.sh PATH-TO-QUORVEL

source "$(dirname "$0")/lib.sh"

program=${1:?usage: e2e_atspi.sh PATH-TO-QUORVEL}
readonly LAUNCHER=/usr/libexec/at-spi-bus-launcher
readonly ROOT=/org/a11y/atspi/accessible/root
readonly INTERFACES=(org.a11y.atspi.Accessible org.a11y.atspi.Component org.a11y.atspi.Action
    org.a11y.atspi.Text org.a11y.atspi.Value org.a11y.atspi.Application)

e2e_init
require_tools dbus-daemon gdbus
[[ -x $LAUNCHER ]] || e2e_skip "at-spi2-core is not installed"
start_xvfb 1280x800x24

start_session_bus
"$LAUNCHER" --launch-immediately >"$E2E_WORK/launcher.log" 2>&1 &
E2E_PIDS+=("$!")
a11y_address()
{
    A11Y=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.a11y.Bus.GetAddress 2>/dev/null | sed -n "s/^('\(.*\)',)$/\1/p")
    [[ -n $A11Y ]]
}
poll 10 a11y_address || {
    fail "the AT-SPI bus starts"
    finish
}

ask() { timeout 5 gdbus call --address "$A11Y" --dest "$TUTOR" --object-path "$1" --method "$2" "${@:3}"; }
# The tutor's name on the AT-SPI bus, once the registry lists it.
registered()
{
    TUTOR=$(gdbus call --address "$A11Y" --dest org.a11y.atspi.Registry --object-path "$ROOT" \
        --method org.a11y.atspi.Accessible.GetChildren 2>/dev/null | grep -o "':1\.[0-9]*'" |
        tr -d "'" | tail -n 1)
    [[ -n $TUTOR ]]
}

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program "$program"
tutor=$PROGRAM_PID
check "the strip is mapped" test -n "$(wait_for_window Form1 20)"
check "the tutor registers on the AT-SPI bus" poll 10 registered
sleep 3 # the welcome is over: the strip and the parrot are up

walked=0 silent=0
queue=("$ROOT")
declare -A seen
while ((${#queue[@]} > 0)) && is_running "$tutor"; do
    path=${queue[0]}
    queue=("${queue[@]:1}")
    [[ -n ${seen[$path]:-} ]] && continue
    seen[$path]=1
    walked=$((walked + 1))
    for interface in "${INTERFACES[@]}"; do
        ask "$path" org.freedesktop.DBus.Properties.GetAll "$interface" >/dev/null 2>&1
    done
    ask "$path" org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name \
        >/dev/null 2>&1 || silent=$((silent + 1))
    ask "$path" org.a11y.atspi.Accessible.GetRole >/dev/null 2>&1 || silent=$((silent + 1))
    while read -r child; do
        queue+=("$child")
    done < <(ask "$path" org.a11y.atspi.Accessible.GetChildren 2>/dev/null |
        grep -o "/org/a11y/atspi/accessible/[0-9a-z]*")
done
e2e_log "walked $walked accessible objects"
check "the tutor survives every GetAll" is_running "$tutor"
check "it offers its windows and their controls ($walked objects)" test "$walked" -ge 5
check "every object answers for its name and role" test "$silent" = 0
finish
