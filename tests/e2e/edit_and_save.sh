#!/bin/sh
# shellcheck disable=SC2046,SC2086 # lists of bytes are split into words on purpose
# Opens a 32-byte file given on the command line, types hexadecimal digits over its first bytes, switches to insert
# mode with the Insert key and types one more byte, saves with Ctrl+S and checks the file's bytes; then undoes two
# steps with Ctrl+Z, saves again and checks the bytes once more; then deletes a byte through the confirmation.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"
data="$WORK/data.bin"
# 00 01 02 ... 1F
write_bytes "$data" $(seq 0 31 | xargs printf '%02x ')

"$WORK/bin/kivran" "$data" >"$WORK/app.log" 2>&1 &
APP_PID=$!
wid=$(wait_for_window "$APP_PID" "^KIVRAN - .*data\.bin" 20) || {
    echo "no window titled with the file"
    start_failure
    exit 1
}
focus_window "$wid"
# The active window's title carries the full path.
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "unexpected title: $(xdotool getwindowname "$wid")"; exit 1; }

status=0

# Overwrite: "4142" puts 41 42 over 00 01 and leaves the cursor at offset 2.
xdotool key 4 1 4 2
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "typing did not mark the file modified"; exit 1; }
# Insert mode: "d2" inserts one byte D2 before 02.
xdotool key Insert d 2
xdotool key ctrl+s
if ! expect_bytes "$data" 10 41 42 d2 $(seq 2 31 | xargs printf '%02x '); then
    echo "Ctrl+S did not save the typed bytes (overwrite 41 42, then D2 inserted)"
    status=1
fi
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "title still modified after saving: $(xdotool getwindowname "$wid")"; status=1; }

# Each typed digit is one undo step: the first Ctrl+Z takes back the second digit of D2 (leaving 0D), the second
# takes back the inserted byte; the overwritten 41 42 stay.
xdotool key ctrl+z ctrl+z
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "undo did not mark the file modified"; status=1; }
xdotool key ctrl+s
if ! expect_bytes "$data" 10 41 42 $(seq 2 31 | xargs printf '%02x '); then
    echo "two undo steps and Ctrl+S did not give back the 32 bytes with only 41 42 typed over"
    status=1
fi

# Delete asks "Really delete it ?" (OK / Cancel): Escape cancels, Return deletes the byte at the cursor (0x02).
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "not saved: $(xdotool getwindowname "$wid")"; status=1; }
xdotool key Home Right Right Delete
box=$(wait_for_window "$APP_PID" "^KIVRAN$" 10) || { echo "Delete did not ask for confirmation"; exit 1; }
focus_window "$box"
xdotool key Escape
wait_for_hidden "$APP_PID" "$box" 10 || { echo "Escape did not close the confirmation"; exit 1; }
focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data" 10 || {
    echo "after the cancelled Delete: $(xdotool getwindowname "$wid") (not active, or the data changed)"
    exit 1
}
xdotool key Delete
box=$(wait_for_window "$APP_PID" "^KIVRAN$" 10) || { echo "the second Delete did not ask for confirmation"; exit 1; }
focus_window "$box"
xdotool key Return
wait_for_hidden "$APP_PID" "$box" 10 || { echo "Return did not close the confirmation"; exit 1; }
focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "the confirmed Delete did not change the data"; exit 1; }
xdotool key ctrl+s
if ! expect_bytes "$data" 10 41 42 $(seq 3 31 | xargs printf '%02x '); then
    echo "the cancelled Delete must keep the byte and the confirmed one remove exactly 02"
    status=1
fi

# Close through File > Exit: nothing is left to ask about.
focus_window "$wid"
before=$(visible_windows "$APP_PID")
xdotool key alt+f
wait_for_more_windows "$APP_PID" "$before" 10 || { echo "the File menu did not open"; exit 1; }
xdotool key x
if ! wait_for_exit "$APP_PID" 15; then
    echo "the program did not exit through File > Exit after saving"
    status=1
else
    APP_PID=""
fi
exit $status
