# Shared by the whole-program tests: starts a private Xvfb display and cleans up on exit.
# Source it; it sets DISPLAY and WORK (a private directory) and defines wait_for_exit and the polling helpers below.
# APP_PID and the space-separated EXTRA_PIDS are ended on exit.

if ! command -v Xvfb >/dev/null 2>&1 || ! command -v xdotool >/dev/null 2>&1; then
    echo "Xvfb or xdotool missing" >&2
    exit 77
fi

WORK=$(mktemp -d)
XVFB_PID=""
cleanup() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null
    for extra_pid in ${EXTRA_PIDS:-}; do
        kill "$extra_pid" 2>/dev/null
    done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# A display number picked at random among 800, so that tests started together (ctest -j) seldom try the same one;
# the display counts as ours once its lock file names our server and the server answers. A server that cannot
# have the number ends, and another number is tried.
# -noreset: by default the server resets whenever its last client leaves (the readiness probe below is such a
# client), and a program connecting during the reset is refused ("could not connect to display").
XVFB_PID=""
attempt=0
while [ -z "$XVFB_PID" ]; do
    attempt=$((attempt + 1))
    [ $attempt -gt 20 ] && { echo "Xvfb did not start" >&2; cat "$WORK/xvfb.log" >&2; exit 1; }
    n=$(($(od -An -N2 -tu2 /dev/urandom | tr -d ' ') % 800 + 200))
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
        continue
    fi
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    tries=0
    until [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$n-lock")" = "$XVFB_PID" ] &&
        DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 200 ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
            kill "$XVFB_PID" 2>/dev/null
            XVFB_PID=""
            break
        fi
        sleep 0.05
    done
done
export DISPLAY=":$n"

# The real window system, whatever the unit tests use.
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$WORK/config"
export XDG_STATE_HOME="$WORK/state"
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

# Every helper below polls with a bound; none of them sleeps to let the program catch up.

# window_of PID NAME_REGEX: the first visible window of the process whose name matches.
window_of() {
    xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1
}

# wait_for_window PID NAME_REGEX SECONDS: prints the window's id once the process shows such a window; false at
# once when the process has ended.
wait_for_window() {
    _ww_i=0
    while :; do
        _ww_id=$(window_of "$1" "$2")
        if [ -n "$_ww_id" ]; then
            echo "$_ww_id"
            return 0
        fi
        kill -0 "$1" 2>/dev/null || return 1
        _ww_i=$((_ww_i + 1))
        [ $_ww_i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
}

# start_failure: what a test reports when the program shows no window: its output and the display server's state.
start_failure() {
    echo "--- program output ($WORK/app.log):"
    cat "$WORK/app.log"
    echo "--- Xvfb on $DISPLAY ($(kill -0 "$XVFB_PID" 2>/dev/null && echo running || echo ended)):"
    cat "$WORK/xvfb.log"
}

# window_shown PID WINDOW: true while the window is one of the process's visible windows.
window_shown() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | grep -qx "$2"
}

# wait_for_hidden PID WINDOW SECONDS: true once the window is no longer shown (a dialog closed).
wait_for_hidden() {
    _wh_i=0
    while window_shown "$1" "$2"; do
        _wh_i=$((_wh_i + 1))
        [ $_wh_i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
    return 0
}

# wait_for_fewer_windows PID COUNT SECONDS: true once the process shows at most COUNT windows (a menu closed).
wait_for_fewer_windows() {
    _wf_i=0
    while [ "$(visible_windows "$1")" -gt "$2" ]; do
        _wf_i=$((_wf_i + 1))
        [ $_wf_i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
    return 0
}

# focus_window WINDOW: gives the window the keyboard focus (there is no window manager to do it) and waits
# until the server reports it.
focus_window() {
    timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1
}

# wait_for_title WINDOW GLOB SECONDS: true once the window's name matches the shell pattern.
wait_for_title() {
    _wt_i=0
    while :; do
        _wt_name=$(xdotool getwindowname "$1" 2>/dev/null)
        # shellcheck disable=SC2254
        case "$_wt_name" in
            $2) return 0 ;;
        esac
        _wt_i=$((_wt_i + 1))
        [ $_wt_i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
}

# settle PID: opens and closes the File menu of the focused main window, so every key sent before has been
# handled when it returns (the program reads its input in order). The second Escape takes the menu bar out of
# the keyboard mode that closing a menu with Escape leaves it in, so that later keys reach the data again.
settle() {
    _st_before=$(visible_windows "$1")
    xdotool key alt+f
    wait_for_more_windows "$1" "$_st_before" 10 || return 1
    xdotool key Escape
    wait_for_fewer_windows "$1" "$_st_before" 10 || return 1
    xdotool key Escape
}

# write_bytes FILE HEX...: writes the bytes given as two-digit hexadecimal words.
write_bytes() {
    _wb_file=$1
    shift
    : >"$_wb_file"
    for _wb_byte in "$@"; do
        # shellcheck disable=SC2059
        printf "\\$(printf '%03o' "0x$_wb_byte")" >>"$_wb_file"
    done
}

# show_bytes FILE: the file's bytes as hexadecimal, for failure reports.
show_bytes() {
    od -An -v -tx1 "$1" 2>/dev/null | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'
    echo
}

# wait_for_bytes FILE EXPECTED_FILE SECONDS: true once FILE holds exactly the bytes of EXPECTED_FILE.
wait_for_bytes() {
    _wy_i=0
    until cmp -s "$1" "$2"; do
        _wy_i=$((_wy_i + 1))
        [ $_wy_i -gt $(($3 * 20)) ] && return 1
        sleep 0.05
    done
    return 0
}

# expect_bytes FILE SECONDS HEX...: waits until FILE holds exactly the given bytes; reports the difference.
expect_bytes() {
    _eb_file=$1
    _eb_seconds=$2
    shift 2
    write_bytes "$WORK/expected.bin" "$@"
    if wait_for_bytes "$_eb_file" "$WORK/expected.bin" "$_eb_seconds"; then
        return 0
    fi
    echo "  expected: $(show_bytes "$WORK/expected.bin")"
    echo "  found:    $(show_bytes "$_eb_file")"
    return 1
}

# install_program BIN [EXTRA]: copies the program into $WORK/bin beside a Kivran.ini that skips the first-start
# dialog, speaks English and places the window; EXTRA (further ini lines) is appended to it.
install_program() {
    mkdir -p "$WORK/bin"
    cp "$1" "$WORK/bin/kivran"
    cat >"$WORK/bin/Kivran.ini" <<INI
[Option]
Option1=2
Language=1
[Window]
Left=20
Top=30
Right=820
Bottom=630
INI
    if [ -n "${2:-}" ]; then
        printf '%s\n' "$2" >>"$WORK/bin/Kivran.ini"
    fi
}
