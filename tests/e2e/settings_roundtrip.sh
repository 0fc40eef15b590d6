#!/bin/sh
# Starts the real program beside a prepared Kivran.ini, closes it through its File menu and checks that every
# section was written back, with the prepared values kept.
set -u
BIN="$1"
. "$(dirname "$0")/xvfb-session.sh"

mkdir -p "$WORK/bin"
cp "$BIN" "$WORK/bin/kivran"
printf 'abcdefgh' > "$WORK/data.bin"
cat > "$WORK/bin/Kivran.ini" <<INI
[Option]
Option1=2
Language=1
MaxUndoSize=5000
[Window]
Left=20
Top=30
Right=720
Bottom=530
[Colors]
BkColor[0]=255
[Accel]
Number=17
fVirt[16]=9
KeyCmd[16]=2149711941
[MRU]
Number=1
MRU[0]=/tmp/somewhere/old.bin
[Print]
BetweenLine=7
INI

"$WORK/bin/kivran" "$WORK/data.bin" >"$WORK/app.log" 2>&1 &
APP_PID=$!
wid=$(timeout 20 xdotool search --sync --name "^KIVRAN" | head -n 1)
[ -n "$wid" ] || { echo "no window"; cat "$WORK/app.log"; exit 1; }
xdotool windowfocus --sync "$wid" 2>/dev/null || true
# The window shows before the file given on the command line is opened: the title changes to name it.
wait_for_title "$wid" "KIVRAN - *data.bin" 10 || { echo "unexpected title: $(xdotool getwindowname "$wid")"; exit 1; }

# File menu, then e&Xit.
before=$(visible_windows "$APP_PID")
xdotool key --window "$wid" alt+f
wait_for_more_windows "$APP_PID" "$before" 10 || { echo "the File menu did not open"; exit 1; }
xdotool key x
if ! wait_for_exit "$APP_PID" 15; then
    echo "the program did not exit through File > Exit"
    exit 1
fi
APP_PID=""

ini="$WORK/bin/Kivran.ini"
status=0
for expected in "[Config]" "Mode=0" "DLLFileName=KVRDLL.DLL" "Elapse=100" "[Colors]" "BkColor[0]=255" \
    "TextColor[5]=16777215" "[Font]" "Height=-16" "ClipPresicion=2" "[Window]" "Left=20" "Top=30" "Right=720" \
    "Bottom=530" "Style=0" "[Option]" "Option1=2" "Language=1" "MaxUndoSize=5000" "MaxFileSizeForMemory=10000000" \
    "[MRU]" "MRU[0]=$WORK/data.bin" "MRU[1]=/tmp/somewhere/old.bin" "[Accel]" "Number=17" "KeyCmd[0]=-2146303888" \
    "fVirt[16]=9" "KeyCmd[16]=-2145255355" "[StrongData]" "[Print]" "BetweenLine=7" "Margin[0]=10"; do
    if ! grep -qxF -- "$expected" "$ini"; then
        echo "missing in Kivran.ini: $expected"
        status=1
    fi
done
# The display font written back is the face in use: a fixed-pitch face, not the missing Windows one.
face=$(sed -n '/^\[Font\]/,/^\[/p' "$ini" | grep '^Facename=' | head -n 1)
case "$face" in
    "Facename=") echo "empty face name"; status=1 ;;
    *"ＭＳ"*) echo "face not resolved: $face"; status=1 ;;
esac
[ $status -eq 0 ] || cat "$ini"
exit $status
