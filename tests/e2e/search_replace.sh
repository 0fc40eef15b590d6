#!/bin/sh
# shellcheck disable=SC2046,SC2086 # lists of bytes are split into words on purpose
# Search: Ctrl+F, a hexadecimal value typed into the dialog, Return (OK searches forward and closes); digits typed
# afterwards land on the found position, which the saved file shows. Replace: Ctrl+R, every 77 replaced by 99 with
# "All", the "Replaced : " message box, the saved result, and one Ctrl+Z taking back the whole replace-all.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"
data="$WORK/data.bin"
# DE AD BE EF at 0x13; the same bytes in the other order (EF BE AD DE) earlier, at 0x05, so a search that got the
# byte order of the typed number wrong stops there. 77 occurs four times: 0x01, 0x0B, 0x19, 0x1E.
row0="10 77 12 13 14 ef be ad de 19 1a 77 1c 1d 1e 1f"
row1="20 21 22 de ad be ef 27 28 77 2a 2b 2c 2d 77 2f"
write_bytes "$data" $row0 $row1

"$WORK/bin/kivran" "$data" >"$WORK/app.log" 2>&1 &
APP_PID=$!
wid=$(wait_for_window "$APP_PID" "^KIVRAN - .*data\.bin" 20) || {
    echo "no window titled with the file"
    start_failure
    exit 1
}

# activate_main: gives the main window the focus back (without a window manager nobody else does) and waits until
# it is the active window, whose title shows the full path.
activate_main() {
    focus_window "$wid"
    wait_for_title "$wid" "KIVRAN - $data*" 10 || { echo "main window not active: $(xdotool getwindowname "$wid")"; exit 1; }
}

status=0
activate_main

# Search. The hexadecimal text is read as one number stored in the byte order of the data (little-endian):
# "EFBEADDE" is the byte sequence DE AD BE EF.
xdotool key ctrl+f
dlg=$(wait_for_window "$APP_PID" "^Search$" 10) || { echo "Ctrl+F did not open the Search dialog"; exit 1; }
focus_window "$dlg"
xdotool type EFBEADDE
xdotool key Return
wait_for_hidden "$APP_PID" "$dlg" 10 || { echo "Return (OK) did not close the Search dialog"; exit 1; }
activate_main
# The cursor is on the found DE at 0x13: "55" overwrites it.
xdotool key 5 5 ctrl+s
if ! expect_bytes "$data" 10 $row0 20 21 22 55 ad be ef 27 28 77 2a 2b 2c 2d 77 2f; then
    echo "the search did not move the cursor to the found pattern at 0x13 (typed 55 landed elsewhere)"
    status=1
fi
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "not saved: $(xdotool getwindowname "$wid")"; status=1; }

# Replace all 77 by 99.
xdotool key ctrl+r
rdlg=$(wait_for_window "$APP_PID" "^Replace" 10) || { echo "Ctrl+R did not open the Replace dialog"; exit 1; }
focus_window "$rdlg"
# Focus order: search data, replace data, type list, Backward, Forward, All.
xdotool type 77
xdotool key Tab
xdotool type 99
xdotool key Tab Tab Tab Tab space
# The count arrives in a message box titled "KIVRAN" (the main window's title always carries the file name).
box=$(wait_for_window "$APP_PID" "^KIVRAN$" 10)
if [ -z "$box" ]; then
    echo "no \"Replaced : \" message box after replacing all"
    status=1
else
    focus_window "$box"
    xdotool key Return
    wait_for_hidden "$APP_PID" "$box" 10 || { echo "Return did not dismiss the message box"; status=1; }
fi
focus_window "$rdlg"
xdotool key Escape
wait_for_hidden "$APP_PID" "$rdlg" 10 || { echo "Escape did not close the Replace dialog"; exit 1; }
activate_main
xdotool key ctrl+s
if ! expect_bytes "$data" 10 10 99 12 13 14 ef be ad de 19 1a 99 1c 1d 1e 1f \
    20 21 22 55 ad be ef 27 28 99 2a 2b 2c 2d 99 2f; then
    echo "replace-all of 77 by 99 was not saved as expected"
    status=1
fi

# One Undo takes back the whole replace-all.
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "not saved: $(xdotool getwindowname "$wid")"; status=1; }
# (Two digits typed before the replace-all leave earlier records in the undo history; the step must still be
# exactly the four replacements.)
xdotool key ctrl+z
if ! wait_for_title "$wid" "KIVRAN - $data [*]" 10; then
    echo "the first Ctrl+Z after the replace-all changed nothing (the file stays saved and unmodified);"
    echo "the undo history after the linked replacement records does not lead back to them"
    status=1
else
    xdotool key ctrl+s
    if ! expect_bytes "$data" 10 $row0 20 21 22 55 ad be ef 27 28 77 2a 2b 2c 2d 77 2f; then
        echo "one Ctrl+Z did not restore exactly the four replaced bytes"
        status=1
    fi
fi
exit $status
