#!/bin/sh
# Two running copies compare their data, driven from the keyboard: Jump/Search > Compare another KIVRAN, the
# options dialog, the step dialog after each difference. Both cursors must stand on the difference afterwards,
# which typing over the cursor byte in each copy and saving shows; the windows stand side by side. A partner
# without data, and a partner killed while the step dialog is open, end the comparison with a message box
# (its text, "Fail to compare", cannot be read through xdotool) and leave no shared block behind. The differences
# are painted in the "Different data" background (pure red by default) in both windows, unless "Put color" is off.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

install_program "$BIN"

# start NAME [FILE]: starts a copy (on FILE when given); sets started_pid and started_wid.
start() {
    if [ -n "${2:-}" ]; then
        "$WORK/bin/kivran" "$2" >>"$WORK/app.log" 2>&1 &
        pattern="^KIVRAN - .*$(basename "$2" | sed 's/\./\\./g')"
    else
        "$WORK/bin/kivran" >>"$WORK/app.log" 2>&1 &
        pattern="^KIVRAN$"
    fi
    started_pid=$!
    EXTRA_PIDS="${EXTRA_PIDS:-} $started_pid"
    started_wid=$(wait_for_window "$started_pid" "$pattern" 20) || {
        echo "$1: no window"
        start_failure
        exit 1
    }
}

# stop PID: ends a copy (its data is saved or unchanged, so it asks nothing).
stop() {
    kill "$1" 2>/dev/null
    wait_for_exit "$1" 10 || kill -9 "$1" 2>/dev/null
}

# activate WINDOW TITLE_GLOB: raises and focuses a main window and waits until it is the active one.
activate() {
    xdotool windowraise "$1"
    focus_window "$1"
    wait_for_title "$1" "$2" 10 || { echo "window did not become active: $(xdotool getwindowname "$1")"; exit 1; }
}

# open_compare PID: Jump/Search > Compare another KIVRAN; prints the options dialog's window.
open_compare() {
    xdotool key alt+j
    wait_for_more_windows "$1" 1 10 || { echo "the Jump/Search menu did not open" >&2; return 1; }
    xdotool key c
    wait_for_window "$1" "^Compare another KIVRAN$" 10 || {
        echo "Compare another KIVRAN did not open its dialog (no partner found, or the item is disabled)" >&2
        return 1
    }
}

# message_box PID SECONDS: prints the message box (a small window titled "KIVRAN") once the copy shows one.
message_box() {
    _mb_i=0
    while :; do
        for _mb_w in $(xdotool search --all --onlyvisible --pid "$1" --name "^KIVRAN$" 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$_mb_w")"
            if [ "$WIDTH" -lt 600 ]; then
                echo "$_mb_w"
                return 0
            fi
        done
        _mb_i=$((_mb_i + 1))
        [ $_mb_i -gt $(($2 * 20)) ] && return 1
        sleep 0.05
    done
}

# left_of WINDOW: the x of the window's left edge.
left_of() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X"
}
width_of() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$WIDTH"
}

# no_compare_block: true when no comparison block is left in the shared memory file system.
no_compare_block() {
    ! ls /dev/shm 2>/dev/null | grep -q "KIVRAN_COMPARE-$(id -u)"
}

# red_pixels WINDOW: how many pixels of the window's image are pure red (the Different data background).
red_pixels() {
    xwd -id "$1" -silent >"$WORK/shot.xwd" 2>/dev/null || { echo 0; return; }
    # The XWD header: 32-bit big-endian fields; pixels follow the header and the colour table.
    field() { od -An -tu1 -j "$1" -N 4 "$WORK/shot.xwd" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
    header=$(field 0)
    order=$(field 28)
    bpp=$(field 44)
    colours=$(field 76)
    [ "$bpp" -eq 32 ] || { echo "unexpected $bpp bits per pixel" >&2; echo 0; return; }
    if [ "$order" -eq 0 ]; then red="00 00 ff"; else red="ff 00 00$"; fi
    tail -c +$((header + colours * 12 + 1)) "$WORK/shot.xwd" | od -An -v -tx1 -w4 | grep -c "^ $red"
}

status=0

# 1. From the top: A = 00 01 02 and B = 00 FF 02 FF differ at offset 1 only (B's extra byte is not compared).
a="$WORK/a.bin"
b="$WORK/b.bin"
write_bytes "$a" 00 01 02
write_bytes "$b" 00 FF 02 FF
start A "$a"
pidA=$started_pid
widA=$started_wid
start B "$b"
pidB=$started_pid
widB=$started_wid

activate "$widA" "KIVRAN - $a"
[ "$(red_pixels "$widA")" -eq 0 ] || { echo "red pixels before any comparison: the colour check cannot work"; exit 1; }
options=$(open_compare "$pidA") || exit 1
focus_window "$options"
xdotool key Return
step=$(wait_for_window "$pidA" "^Comparing another KIVRAN$" 10) || { echo "no step dialog after the difference"; exit 1; }
focus_window "$step"
xdotool key Return
wait_for_hidden "$pidA" "$step" 10 || { echo "Next did not close the step dialog"; exit 1; }
if box=$(message_box "$pidA" 1); then
    echo "a message box came up after a comparison that found a difference"
    status=1
    focus_window "$box"
    xdotool key Return
fi

# Side by side on the 1280 pixel wide screen: both started at the same place, so the partner takes the left half.
if [ "$(left_of "$widB")" -ne 0 ] || [ "$(left_of "$widA")" -ne 640 ] || [ "$(width_of "$widA")" -gt 640 ]; then
    echo "windows not side by side: A at $(left_of "$widA") ($(width_of "$widA") wide), B at $(left_of "$widB")"
    status=1
fi

# The difference is painted in both windows (each looked at while the other one is active, so no caret covers it).
activate "$widA" "KIVRAN - $a"
[ "$(red_pixels "$widB")" -gt 0 ] || { echo "the difference is not painted in the partner's window"; status=1; }
activate "$widB" "KIVRAN - $b"
[ "$(red_pixels "$widA")" -gt 0 ] || { echo "the difference is not painted in the comparing window"; status=1; }

# Both cursors are on offset 1: typing there overwrites it.
activate "$widA" "KIVRAN - $a"
xdotool type ab
wait_for_title "$widA" "KIVRAN - $a [*]" 10 || { echo "typing in A changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$a" 10 00 AB 02 || { echo "A's cursor was not at the difference (offset 1)"; status=1; }
activate "$widB" "KIVRAN - $b"
xdotool type cd
wait_for_title "$widB" "KIVRAN - $b [*]" 10 || { echo "typing in B changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$b" 10 00 CD 02 FF || { echo "B's cursor was not at the difference (offset 1)"; status=1; }
no_compare_block || { echo "the comparison left its shared block behind"; status=1; }
stop "$pidA"
stop "$pidB"

# 2. From the cursors, without colour: A's cursor at 10, B's at 4, so A's byte 10 meets B's byte 4; they differ at
# A 12 / B 6. The cursors still follow the difference, nothing is painted.
write_bytes "$a" 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F
write_bytes "$b" 00 00 00 00 0A 0B EE 0D
start A "$a"
pidA=$started_pid
widA=$started_wid
start B "$b"
pidB=$started_pid
widB=$started_wid
activate "$widB" "KIVRAN - $b"
xdotool key Right Right Right Right
settle "$pidB" || { echo "B did not answer"; exit 1; }
activate "$widA" "KIVRAN - $a"
xdotool key Right Right Right Right Right Right Right Right Right Right
settle "$pidA" || { echo "A did not answer"; exit 1; }
options=$(open_compare "$pidA") || exit 1
focus_window "$options"
# From the partner list to the start position group, then the second choice; then "Put color" off.
xdotool key Tab Down Tab space Return
step=$(wait_for_window "$pidA" "^Comparing another KIVRAN$" 10) || { echo "no step dialog from the cursors"; exit 1; }
focus_window "$step"
xdotool key Return
wait_for_hidden "$pidA" "$step" 10 || { echo "Next did not close the step dialog"; exit 1; }
activate "$widA" "KIVRAN - $a"
[ "$(red_pixels "$widB")" -eq 0 ] || { echo "Put color off, yet the partner shows a difference"; status=1; }
activate "$widB" "KIVRAN - $b"
[ "$(red_pixels "$widA")" -eq 0 ] || { echo "Put color off, yet the comparing window shows a difference"; status=1; }
activate "$widA" "KIVRAN - $a"
xdotool type ab
wait_for_title "$widA" "KIVRAN - $a [*]" 10 || { echo "typing in A changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$a" 10 00 01 02 03 04 05 06 07 08 09 0A 0B AB 0D 0E 0F ||
    { echo "from the cursors, A's cursor was not at offset 12"; status=1; }
activate "$widB" "KIVRAN - $b"
xdotool type cd
wait_for_title "$widB" "KIVRAN - $b [*]" 10 || { echo "typing in B changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$b" 10 00 00 00 00 0A 0B CD 0D || { echo "from the cursors, B's cursor was not at offset 6"; status=1; }
stop "$pidA"
stop "$pidB"

# 3. Non stop after the first of 16 differences: no further dialog, both cursors end on the last difference.
write_bytes "$a" 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
write_bytes "$b" 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01
start A "$a"
pidA=$started_pid
widA=$started_wid
start B "$b"
pidB=$started_pid
widB=$started_wid
activate "$widA" "KIVRAN - $a"
options=$(open_compare "$pidA") || exit 1
focus_window "$options"
xdotool key Return
step=$(wait_for_window "$pidA" "^Comparing another KIVRAN$" 10) || { echo "no step dialog before Non stop"; exit 1; }
focus_window "$step"
# Tab from Next to Non stop.
xdotool key Tab Return
wait_for_hidden "$pidA" "$step" 10 || { echo "Non stop did not close the step dialog"; exit 1; }
activate "$widA" "KIVRAN - $a"
settle "$pidA" || { echo "A did not answer after Non stop"; exit 1; }
if [ -n "$(window_of "$pidA" "^Comparing another KIVRAN$")" ]; then
    echo "Non stop asked again"
    status=1
fi
xdotool type ab
wait_for_title "$widA" "KIVRAN - $a [*]" 10 || { echo "typing in A changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$a" 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 AB ||
    { echo "after Non stop A's cursor was not at the last difference"; status=1; }
activate "$widB" "KIVRAN - $b"
xdotool type cd
wait_for_title "$widB" "KIVRAN - $b [*]" 10 || { echo "typing in B changed nothing"; status=1; }
xdotool key ctrl+s
expect_bytes "$b" 10 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 CD ||
    { echo "after Non stop B's cursor was not at the last difference"; status=1; }
stop "$pidA"
stop "$pidB"

# 4. A partner without data: "Fail to compare" at once, before the windows are arranged.
start A "$a"
pidA=$started_pid
widA=$started_wid
start B
pidB=$started_pid
widB=$started_wid
activate "$widA" "KIVRAN - $a"
leftA=$(left_of "$widA")
leftB=$(left_of "$widB")
options=$(open_compare "$pidA") || exit 1
focus_window "$options"
xdotool key Return
box=$(message_box "$pidA" 10) || { echo "no message for a partner with empty data"; exit 1; }
if wait_for_window "$pidA" "^Comparing another KIVRAN$" 0 >/dev/null; then
    echo "a partner with empty data was compared"
    status=1
fi
if [ "$(left_of "$widA")" -ne "$leftA" ] || [ "$(left_of "$widB")" -ne "$leftB" ]; then
    echo "windows were arranged although the comparison failed"
    status=1
fi
focus_window "$box"
xdotool key Return
wait_for_hidden "$pidA" "$box" 10 || { echo "Return did not dismiss the message box"; exit 1; }
no_compare_block || { echo "a failed comparison left its shared block behind"; status=1; }
stop "$pidB"

# 5. The partner is killed while the step dialog is open: the next request finds it gone, the comparison ends
# with a message instead of hanging, and the copy goes on working.
write_bytes "$b" 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F
start B "$b"
pidB=$started_pid
activate "$widA" "KIVRAN - $a"
options=$(open_compare "$pidA") || exit 1
focus_window "$options"
xdotool key Return
step=$(wait_for_window "$pidA" "^Comparing another KIVRAN$" 10) || { echo "no step dialog before the kill"; exit 1; }
kill -9 "$pidB"
wait_for_exit "$pidB" 10
focus_window "$step"
xdotool key Return
box=$(message_box "$pidA" 15) || { echo "no message (or a hang) after the partner was killed"; exit 1; }
focus_window "$box"
xdotool key Return
wait_for_hidden "$pidA" "$box" 10 || { echo "Return did not dismiss the message box"; exit 1; }
no_compare_block || { echo "the comparison with a killed partner left its shared block behind"; status=1; }
activate "$widA" "KIVRAN - $a"
settle "$pidA" || { echo "A no longer answers after its partner was killed"; status=1; }
kill -0 "$pidA" 2>/dev/null || { echo "A ended"; status=1; }
stop "$pidA"
exit $status
