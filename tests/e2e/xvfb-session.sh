# Shared by the whole-program tests: starts a private Xvfb display and cleans up on exit.
# Source it; it sets DISPLAY and WORK (a private directory) and defines wait_for_exit.

if ! command -v Xvfb >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
    echo "Xvfb or xdotool missing" >&2
    exit 77
fi

WORK=$(mktemp -d)
XVFB_PID=""
cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

display=""
for n in $(seq 140 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || { echo "no free display" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY="$display"
# Wait until the server answers (polling its readiness, bounded).
tries=0
until xdotool getdisplaygeometry >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -gt 200 ] && { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done

# The real window system, whatever the unit tests use.
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$WORK/config"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# wait_for_exit PID SECONDS: true when the process ended in time.
wait_for_exit() {
    i=0
    while kill -0 "$1" 2>/dev/null; do
        i=$((i + 1))
        [ $i -gt $(($2 * 20)) ] && return 1
        sleep 0.05
    done
    return 0
}

# visible_windows PID: how many visible windows the process has mapped.
visible_windows() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | wc -l
}

# wait_for_more_windows PID COUNT SECONDS: true once the process shows more than COUNT windows (a menu opened).
wait_for_more_windows() {
    i=0
    while [ "$(visible_windows "$1")" -le "$2" ]; do
        i=$((i + 1))
        [ $i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
    return 0
}
