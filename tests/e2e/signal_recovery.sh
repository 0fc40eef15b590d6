#!/bin/sh
# shellcheck disable=SC2046,SC2086 # lists of bytes are split into words on purpose
# SIGTERM closes the window as a normal exit does. With unsaved changes it first keeps a recovery copy in
# $XDG_STATE_HOME/KIVRAN; the next start on the same file offers it, Yes puts the kept bytes over the file as
# unsaved changes, and Ctrl+S writes them. Either way the shared copy block and the socket are gone afterwards, and
# without changes nothing is kept.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"
data="$WORK/data.bin"
write_bytes "$data" 10 11 12 13 14 15 16 17
recovery="$XDG_STATE_HOME/KIVRAN"
status=0

# start: starts the program on the data file; sets APP_PID and wid.
start() {
    "$WORK/bin/kivran" "$data" >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    wid=$(wait_for_window "$APP_PID" "^KIVRAN - .*data\.bin" 20) || {
        echo "no window titled with the file"
        start_failure
        exit 1
    }
}

# leftovers: the shared memory objects and sockets of this user's copies that are still there.
leftovers() {
    ls /dev/shm 2>/dev/null | grep "^KIVRAN_COPY_MEMORY-$(id -u)-" | grep "$(cat "$XDG_RUNTIME_DIR/kivran/name-token" 2>/dev/null || echo none)"
    ls "$XDG_RUNTIME_DIR/kivran" 2>/dev/null | grep '\.sock$'
}

start
focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "unexpected title: $(xdotool getwindowname "$wid")"; exit 1; }
# Overwrite the first two bytes, then copy three bytes so that the copy block exists.
xdotool key 4 1 4 2
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "typing did not mark the file modified"; exit 1; }
xdotool key Home shift+Right shift+Right shift+Right ctrl+c
settle "$APP_PID" || { echo "the program did not answer"; exit 1; }
if [ -z "$(leftovers)" ]; then
    echo "the copy made no shared block and the window no socket (nothing to check afterwards)"
    exit 1
fi

kill -TERM "$APP_PID"
if ! wait_for_exit "$APP_PID" 15; then
    echo "SIGTERM did not end the program"
    exit 1
fi
APP_PID=""
expect_bytes "$data" 1 10 11 12 13 14 15 16 17 || { echo "the file itself must not be written"; status=1; }
copies=$(ls "$recovery"/*.kvrrec 2>/dev/null | wc -l)
if [ "$copies" -ne 1 ]; then
    echo "expected one recovery copy in $recovery, found: $(ls -la "$recovery" 2>&1)"
    exit 1
fi
expect_bytes "$recovery"/*.kvrrec 1 41 42 12 13 14 15 16 17 || { echo "the recovery copy holds other bytes"; status=1; }
if [ "$(cat "$recovery"/*.path)" != "$(realpath "$data")" ]; then
    echo "the side file does not name the file: $(cat "$recovery"/*.path)"
    status=1
fi
if [ -n "$(leftovers)" ]; then
    echo "left behind after SIGTERM: $(leftovers)"
    status=1
fi

# The next start offers the copy; Return answers Yes.
start
box=$(wait_for_window "$APP_PID" "^KIVRAN$" 20) || { echo "the recovery copy was not offered"; start_failure; exit 1; }
focus_window "$box"
xdotool key Return
wait_for_hidden "$APP_PID" "$box" 10 || { echo "Return did not answer the offer"; exit 1; }
focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || {
    echo "Yes did not load the recovery copy as unsaved changes: $(xdotool getwindowname "$wid")"
    exit 1
}
if [ -n "$(ls "$recovery" 2>/dev/null)" ]; then
    echo "the answered offer left its files: $(ls "$recovery")"
    status=1
fi
xdotool key ctrl+s
expect_bytes "$data" 10 41 42 12 13 14 15 16 17 || { echo "Save did not write the recovered bytes"; status=1; }
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "not saved: $(xdotool getwindowname "$wid")"; status=1; }

# Without changes a signal keeps nothing and leaves nothing.
kill -HUP "$APP_PID"
if ! wait_for_exit "$APP_PID" 15; then
    echo "SIGHUP did not end the program"
    exit 1
fi
APP_PID=""
if [ -n "$(ls "$recovery" 2>/dev/null)" ]; then
    echo "a recovery copy was kept without changes: $(ls "$recovery")"
    status=1
fi
if [ -n "$(leftovers)" ]; then
    echo "left behind after SIGHUP: $(leftovers)"
    status=1
fi
exit $status
