#!/bin/sh
# Installs the build into a temporary prefix and runs the installed program from outside the build tree:
# --help and --version without a display, and batch mode over a bitmap whose symbol file is the one shipped
# in PREFIX/share/kivran.  Usage: install_run.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1
source=$2
tmp=$(mktemp -d /tmp/kivran-install-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || fail "cmake --install: $(cat "$tmp/install.log")"
kivran=$prefix/bin/kivran
for f in bin/kivran share/kivran/BMP.SYM share/kivran/sample.mac share/kivran/UserGuide.html \
    share/kivran/MacroHelp.html share/man/man1/kivran.1; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$kivran" ] || fail "the installed program is not executable"
ls "$prefix/bin" | grep -qi '\.sym$' && fail "symbol files were installed beside the program"

cd "$tmp"
mkdir config home
export XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM || true

"$kivran" --version >version.txt 2>version.err || fail "--version exits with $?: $(cat version.err)"
grep -qx 'KIVRAN [0-9]*\.[0-9][0-9]' version.txt || fail "--version printed: $(cat version.txt)"
"$kivran" --help >help.txt 2>help.err || fail "--help exits with $?: $(cat help.err)"
for option in --batch --symbols --no-symbols --macro --print-vars --dump-symbols --json --save --print-pdf \
    --version; do
    grep -q -- "$option" help.txt || fail "--help does not list $option"
done

# The extension in other letters still finds BMP.SYM, as photo.gif finds GIF.SYM.
cp "$source/share/sample/sample.bmp" photo.Bmp
"$kivran" --batch --dump-symbols photo.Bmp >installed.txt 2>installed.err ||
    fail "the installed batch run exits with $?: $(cat installed.err)"
grep -q 'FileHeader\.OffBits' installed.txt || fail "the installed program showed no BMP rows: $(head -3 installed.txt)"
"$build/bin/kivran" --batch --dump-symbols --symbols "$source/share/symbols/BMP.SYM" photo.Bmp >reference.txt ||
    fail "the reference run failed"
cmp -s installed.txt reference.txt || fail "the installed run differs from the build's: $(diff installed.txt reference.txt | head)"

# Without its data directory the installed program finds no symbol file and shows the bytes unnamed.
mv "$prefix/share/kivran" "$prefix/share/kivran.away"
"$kivran" --batch --dump-symbols photo.Bmp >without.txt 2>&1 || fail "the run without data directory failed"
grep -q 'FileHeader' without.txt && fail "BMP rows without any symbol file: $(head -3 without.txt)"
mv "$prefix/share/kivran.away" "$prefix/share/kivran"

# The MacroDir setting still comes first: a symbol file there replaces the shipped one.
# The settings file is beside the program here: the temporary prefix is the user's own.
mkdir macros
printf '$unsigned char OnlyInMacroDir;\n' >macros/BMP.SYM
printf '[Option]\nMacroDir=%s\n' "$tmp/macros" >"$prefix/bin/Kivran.ini"
"$kivran" --batch --dump-symbols photo.Bmp >macrodir.txt 2>&1 || fail "the MacroDir run failed: $(cat macrodir.txt)"
grep -q OnlyInMacroDir macrodir.txt || fail "MacroDir was not used: $(head -3 macrodir.txt)"
grep -q 'FileHeader' macrodir.txt && fail "rows of the shipped symbol file in the MacroDir run"
echo "installed program runs"
