#!/usr/bin/env bash
# End-to-end: the real program under Xvfb ticks every file, builds Data.Pak,
# is closed like a user closes it, and leaves a pack and a profile on disk.
# Usage: run-e2e.sh <path-to-wrenfold>
set -uo pipefail
bin=$(realpath "${1:?usage: run-e2e.sh <path-to-wrenfold>}")
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: e2e_xvfb: $*"; exit 1; }
# Bounded poll: until_ok SECONDS COMMAND...
until_ok() { local n=$(($1 * 10)); shift; until "$@"; do ((n-- > 0)) || return 1; sleep 0.1; done; }

proj=$work/proj
mkdir -p "$proj/gfx" "$proj/maps"
printf 'hello\r\n' >"$proj/intro.txt"
printf 'BM\x01\x02\x03' >"$proj/gfx/title.bmp"
printf 'map one\n' >"$proj/maps/one.map"

# Own server on a display it picks itself, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/dpy" </dev/null >/dev/null 2>&1 & pids+=($!)
until_ok 15 test -s "$work/dpy" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/dpy")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

# A window manager is what turns a close request into WM_DELETE_WINDOW.
openbox </dev/null >/dev/null 2>&1 & pids+=($!)
until_ok 15 wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

(cd "$proj" && exec "$bin") </dev/null >"$work/app.log" 2>&1 & app=$! pids+=($!)
wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Wrenfold' | head -n1)
[ -n "$wid" ] || fail "window did not appear"
sleep 1 # let the file list finish filling
xdotool mousemove --window "$wid" 508 329 click 1   # Select All
sleep 0.5
xdotool mousemove --window "$wid" 111 321 click 1   # Create Pak Archive
# The pack is committed by rename, so once it exists it is whole.
until_ok 20 test -f "$proj/Data.Pak" || fail "Data.Pak was not created"
sleep 1

wmctrl -c Wrenfold
until_ok 20 eval '! kill -0 $app 2>/dev/null' || fail "program did not exit after close"

pak=$proj/Data.Pak prof=$proj/PakProfile.QXT
want=$(printf '%s\n' 'gfx\title.bmp' 'intro.txt' 'maps\one.map')
# Read back through the game-side reader: sound, and every entry its file.
reader=$(dirname "$bin")/wrenfold-pak
"$reader" verify "$pak" --project "$proj" >"$work/verify.log" 2>&1 || fail "verify: $(cat "$work/verify.log")"
names=$("$reader" list "$pak" | cut -f3 | LC_ALL=C sort)
[ "$names" = "$want" ] || fail "pack index names: $(echo $names)"
[ "$(head -n1 "$prof")" = $'Korvane Pak System Profile\r' ] || fail "profile first line"
[ "$(grep -c $'\r$' "$prof")" = "$(wc -l <"$prof")" ] || fail "profile lines not all CR LF"
rows=$(tail -n +7 "$prof" | tr -d '\r' | LC_ALL=C sort)
[ "$rows" = "$want" ] || fail "profile rows: $(echo $rows)"
echo "PASS: e2e_xvfb (3 members packed, profile written on close)"
