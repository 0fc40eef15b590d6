#!/bin/sh
# DLL mode with a library file that does not exist: a message box titled "KIVRAN" (its text, "Fail to Load DLL:"
# and the name, cannot be read through xdotool) comes up before the main window; once it is dismissed with Return
# the main window still comes up and works.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN" "[Config]
Mode=1
DLLFileName=$WORK/no-such-dir/libmissing.so
DLLMemorySize=64"

"$WORK/bin/kivran" >"$WORK/app.log" 2>&1 &
APP_PID=$!
box=$(wait_for_window "$APP_PID" "^KIVRAN$" 20) || { echo "no window at all"; start_failure; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$box")"
# The main window is 800 x 600 (from the settings); the box is a small window shown on its own.
if [ "$WIDTH" -ge 800 ] || [ "$(visible_windows "$APP_PID")" -ne 1 ]; then
    echo "expected a message box alone before the main window, found a ${WIDTH}x${HEIGHT} window among" \
        "$(visible_windows "$APP_PID") (no message about the missing library)"
    exit 1
fi
focus_window "$box"
xdotool key Return
wait_for_hidden "$APP_PID" "$box" 10 || { echo "Return did not dismiss the message box"; exit 1; }

# Then the main window.
tries=0
wid=""
while [ -z "$wid" ]; do
    for candidate in $(xdotool search --onlyvisible --pid "$APP_PID" --all --name "^KIVRAN$" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$candidate")"
        [ "$WIDTH" -eq 800 ] && wid=$candidate
    done
    tries=$((tries + 1))
    [ $tries -gt 200 ] && { echo "the main window did not come up after the message box"; exit 1; }
    [ -n "$wid" ] || sleep 0.05
done

# It answers: the File menu opens and File > Exit ends the program.
focus_window "$wid"
xdotool key alt+f
wait_for_more_windows "$APP_PID" 1 10 || { echo "the main window does not answer (File menu)"; exit 1; }
xdotool key x
if ! wait_for_exit "$APP_PID" 15; then
    echo "the program did not exit through File > Exit"
    exit 1
fi
APP_PID=""
exit 0
