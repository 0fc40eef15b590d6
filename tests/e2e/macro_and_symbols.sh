#!/bin/sh
# shellcheck disable=SC2046,SC2086 # lists of bytes are split into words on purpose
# Opens a file whose extension has a symbol file beside the program (found whatever its case), runs a macro
# from the Macro menu that asks for a value (InputData), writes it over the first byte, appends two bytes and
# says so in a message box, saves with Ctrl+S and checks the bytes; then undoes the append with Ctrl+Z.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"
cat >"$WORK/bin/TST.SYM" <<'SYM'
struct HEADER { char Magic[2]; unsigned short Count; };
$HEADER Header;
$unsigned char Body[GetFileSize() - 4];
SYM
cat >"$WORK/macro.mac" <<'MAC'
unsigned char value = GetByte(0);
if (InputData("New first byte", "First byte", &value) == 1) {
    Write(0, value);
}
Add("OK");
MessageBox("written", "Macro", 0);
MAC
data="$WORK/data.tst"
write_bytes "$data" 4b 56 02 00 10 11 12 13

"$WORK/bin/kivran" "$data" >"$WORK/app.log" 2>&1 &
APP_PID=$!
wid=$(wait_for_window "$APP_PID" "^KIVRAN - .*data\.tst" 20) || {
    echo "no window titled with the file"
    start_failure
    exit 1
}
focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data" 10 || { echo "unexpected title: $(xdotool getwindowname "$wid")"; exit 1; }

# Macro > Execute Macro opens the file dialog.
before=$(visible_windows "$APP_PID")
xdotool key alt+m
wait_for_more_windows "$APP_PID" "$before" 10 || { echo "the Macro menu did not open"; exit 1; }
xdotool key e
dialog=$(wait_for_window "$APP_PID" "Select Macro File" 10) || { echo "Execute Macro showed no file dialog"; exit 1; }
focus_window "$dialog"
xdotool type --delay 20 "$WORK/macro.mac"
xdotool key Return

# The prompt opens with the byte's value (75); the new value replaces it.
prompt=$(wait_for_window "$APP_PID" "^First byte$" 10) || { echo "InputData showed no prompt"; exit 1; }
focus_window "$prompt"
xdotool key ctrl+a
xdotool type --delay 20 "200"
xdotool key Return
box=$(wait_for_window "$APP_PID" "^Macro$" 10) || { echo "MessageBox showed no box titled Macro"; exit 1; }
focus_window "$box"
xdotool key Return
wait_for_hidden "$APP_PID" "$box" 10 || { echo "Return did not close the message box"; exit 1; }

focus_window "$wid"
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "the macro did not change the data"; exit 1; }
status=0
xdotool key ctrl+s
if ! expect_bytes "$data" 10 c8 56 02 00 10 11 12 13 4f 4b; then
    echo "the macro must write 200 (C8) over the first byte and append OK"
    status=1
fi
# Each change of the macro is one undo step: Ctrl+Z takes back the append only.
xdotool key ctrl+z
wait_for_title "$wid" "KIVRAN - $data [*]" 10 || { echo "Ctrl+Z did not mark the data modified"; exit 1; }
xdotool key ctrl+s
if ! expect_bytes "$data" 10 c8 56 02 00 10 11 12 13; then
    echo "one Ctrl+Z must take back the appended bytes and keep the written byte"
    status=1
fi
exit $status
