#!/bin/sh
# shellcheck disable=SC2046,SC2086 # lists of bytes are split into words on purpose
# DLL mode with the example library: the program starts showing the library's 64-byte block (bytes 00 01 02 ...),
# hexadecimal digits typed go into the library's memory, and File > Save As writes the 64 bytes read back from it.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

# The example library is built beside the program: <build>/bin/kivran, <build>/lib/libkvrdll.so.
lib="$(cd "$(dirname "$BIN")/.." && pwd)/lib/libkvrdll.so"
if [ ! -f "$lib" ]; then
    echo "the example library is not built (target kvrdll): $lib"
    exit 77
fi

install_program "$BIN" "[Config]
Mode=1
DLLFileName=$lib
DLLMemorySize=64"

cd "$WORK" || exit 1
"$WORK/bin/kivran" >"$WORK/app.log" 2>&1 &
APP_PID=$!
wid=$(wait_for_window "$APP_PID" "^KIVRAN$" 20) || { echo "no window"; start_failure; exit 1; }
# It must be the main window (800 x 600 from the settings), not a message box about the library.
eval "$(xdotool getwindowgeometry --shell "$wid")"
if [ "$WIDTH" -ne 800 ] || [ "$(visible_windows "$APP_PID")" -ne 1 ]; then
    echo "expected only the main window, found a ${WIDTH}x${HEIGHT} window among $(visible_windows "$APP_PID")"
    echo "(a message box at start-up means the library did not load)"
    exit 1
fi
focus_window "$wid"

status=0
# C0 FF EE over the first three bytes of the library's block.
xdotool key c 0 f f e e

# File > Save As: a file dialog (the only window of the program not titled KIVRAN; menus are).
xdotool key alt+f
wait_for_more_windows "$APP_PID" 1 10 || { echo "the File menu did not open"; exit 1; }
xdotool key a
dialog=""
tries=0
while [ -z "$dialog" ]; do
    for candidate in $(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$candidate" 2>/dev/null)" = "KIVRAN" ] || dialog=$candidate
    done
    tries=$((tries + 1))
    [ $tries -gt 200 ] && { echo "File > Save As did not open a file dialog"; exit 1; }
    [ -n "$dialog" ] || sleep 0.05
done
focus_window "$dialog"
out="$WORK/saved.bin"
# The file name field has the focus; replace whatever it holds with the absolute name.
xdotool key ctrl+a
xdotool type "$out"
xdotool key Return
if ! expect_bytes "$out" 10 c0 ff ee $(seq 3 63 | xargs printf '%02x '); then
    echo "Save As did not write the library's 64 bytes with C0 FF EE typed over the first three"
    status=1
fi
wait_for_hidden "$APP_PID" "$dialog" 10 || { echo "the file dialog stayed open"; status=1; }
exit $status
