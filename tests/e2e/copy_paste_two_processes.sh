#!/bin/sh
# Two running copies of the program on two files: bytes selected and copied in one are pasted (inserted at the
# cursor) in the other and saved there; then a copy made in the second is pasted in the first, and the later copy
# is the one that arrives.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"
first="$WORK/first.bin"
second="$WORK/second.bin"
write_bytes "$first" 41 42 43 44 45 46 47 48    # ABCDEFGH
write_bytes "$second" 61 62 63 64 65 66 67 68   # abcdefgh

# start FILE: starts a copy on FILE; sets started_pid and started_wid.
start() {
    "$WORK/bin/kivran" "$1" >>"$WORK/app.log" 2>&1 &
    started_pid=$!
    EXTRA_PIDS="${EXTRA_PIDS:-} $started_pid"
    started_wid=$(wait_for_window "$started_pid" "^KIVRAN - .*$(basename "$1" | sed 's/\./\\./g')" 20) || {
        echo "no window for $1"
        start_failure
        exit 1
    }
}

# activate WINDOW FILE: raises and focuses a copy's main window and waits until it is the active one (the active
# window's title shows the full path).
activate() {
    xdotool windowraise "$1"
    focus_window "$1"
    wait_for_title "$1" "KIVRAN - $2" 10 || { echo "window of $2 did not become active: $(xdotool getwindowname "$1")"; exit 1; }
}

start "$first"
pid1=$started_pid
wid1=$started_wid
start "$second"
pid2=$started_pid
wid2=$started_wid

status=0

# In the first copy: cursor to offset 1, select three bytes (B C D) and copy.
activate "$wid1" "$first"
xdotool key Right shift+Right shift+Right shift+Right ctrl+c
settle "$pid1" || { echo "the first copy did not answer"; exit 1; }

# In the second copy: cursor to offset 2, paste, save.
activate "$wid2" "$second"
xdotool key Right Right ctrl+v
if ! wait_for_title "$wid2" "KIVRAN - $second [*]" 10; then
    echo "Ctrl+V in the second copy changed nothing (the bytes copied in the first copy did not arrive)"
    status=1
else
    xdotool key ctrl+s
    if ! expect_bytes "$second" 10 61 62 42 43 44 63 64 65 66 67 68; then
        echo "the 3 bytes copied in the first copy were not inserted at the cursor of the second"
        status=1
    fi
fi

# In the second copy: from the start of the row select two bytes (a b) and copy; this copy replaces the first one.
xdotool key Home shift+Right shift+Right ctrl+c
settle "$pid2" || { echo "the second copy did not answer"; exit 1; }

# In the first copy: leave the selection by moving right (cursor at offset 4), paste, save.
activate "$wid1" "$first"
xdotool key Right ctrl+v
if ! wait_for_title "$wid1" "KIVRAN - $first [*]" 10; then
    echo "Ctrl+V in the first copy changed nothing"
    status=1
else
    xdotool key ctrl+s
    if ! expect_bytes "$first" 10 41 42 43 44 61 62 45 46 47 48; then
        echo "the later copy (a b from the second copy) was not the one pasted at the first copy's cursor"
        status=1
    fi
fi

# Both copies still run.
for pid in $pid1 $pid2; do
    kill -0 "$pid" 2>/dev/null || { echo "copy $pid ended unexpectedly"; status=1; }
done
exit $status
