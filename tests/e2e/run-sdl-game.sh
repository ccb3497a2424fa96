#!/usr/bin/env bash
# The SDL2 example game as a developer ships it: built with CMake beside the
# reader, its data appended to its own executable by wrenfold-pak, run
# headless. Before the append it finds no data in itself and says so.
# Usage: run-sdl-game.sh <repository> <path-to-wrenfold-pak>
set -uo pipefail
repo=$(realpath "${1:?usage: run-sdl-game.sh <repository> <wrenfold-pak>}")
tool=$(realpath "${2:?usage: run-sdl-game.sh <repository> <wrenfold-pak>}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: sdl_game: $*"; exit 1; }

game=$work/sdl-game
cp -r "$repo/examples/sdl-game" "$game" && rm -rf "$game/build"
cd "$game" || fail "no copy of the example"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DWFPAK_SOURCE_DIR="$repo/src/reader" >"$work/cmake.log" 2>&1 \
  || { cat "$work/cmake.log"; fail "cmake could not configure the example"; }
cmake --build build -j2 >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "the example did not build"; }

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
./build/sdl-game --once >"$work/bare.txt" 2>&1 && fail "the game ran without its data"
grep -q "^sdl-game: .*build/sdl-game: " "$work/bare.txt" || { cat "$work/bare.txt"; fail "no message for missing data"; }

size_before=$(stat -c %s build/sdl-game)
"$tool" build --quiet . || fail "wrenfold-pak build failed"
[ "$(stat -c %s build/sdl-game)" -gt "$size_before" ] || fail "nothing was appended to the executable"
# Masked: the title's bytes are not in the executable as they are on disk.
if grep -qF "$(head -c 300 gfx/title.bmp | tail -c 40 | od -An -tx1 | tr -d ' \n')" \
     <(od -An -tx1 -v build/sdl-game | tr -d ' \n'); then fail "the title lies unmasked in the executable"; fi

./build/sdl-game --once >"$work/out.txt" 2>"$work/err.txt" || { cat "$work/err.txt"; fail "the packed game failed"; }
expected=$'title.bmp: 160x90, checksum 1BB25768\nstart.wav: 13230 bytes at 22050 Hz'
[ "$(cat "$work/out.txt")" = "$expected" ] || { diff <(echo "$expected") "$work/out.txt"; fail "the game loaded something else"; }
echo "sdl_game: ok"
