#!/usr/bin/env bash
# A game's own CMake build making its pack through `wrenfold-pak build
# --depfile`, with the Makefile and the Ninja generators: the first build
# packs, a second does nothing, touching a packed file or ticking another
# file packs again, touching a file that is not packed does not.
# Usage: run-cmake-consumer.sh WRENFOLD_PAK EXAMPLES_DIR
set -euo pipefail
pak=$1 examples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL ($generator): $*" >&2; exit 1; }

# Builds and says whether the pack was made.
packs() {
  local out
  out=$(cmake --build "$build" 2>&1) || { echo "$out" >&2; fail "the build failed"; }
  grep -q "Packing the game's data" <<<"$out"
}

for generator in "Unix Makefiles" Ninja; do
  # A space in the path: the dependency file must escape it.
  src="$scratch/game ${generator// /-}"
  build="$scratch/build-${generator// /-}"
  mkdir -p "$src" && cp "$examples/cmake-consumer/CMakeLists.txt" "$src/" && cp -r "$examples/demo-game" "$src/data"
  "$pak" tick -C "$src/data" 'gfx/*' >/dev/null
  # Inputs set back in time after each build, changed into the future: no ties, no waiting.
  age_inputs() { find "$src/data" -type f ! -name Data.Pak -exec touch -d '-2 hours' {} +; }
  change() { touch -d '+1 hour' "$src/data/$1"; }
  age_inputs

  cmake -S "$src" -B "$build" -G "$generator" -DWRENFOLD_PAK="$pak" >/dev/null
  packs && [ -f "$src/data/Data.Pak" ] || fail "the first build did not make the pack"
  grep -q 'gfx/title.bmp' "$build/Data.Pak.d" || fail "the dependency file lacks gfx/title.bmp"
  ! packs || fail "a second build packed again"

  change gfx/title.bmp
  packs || fail "touching a packed file did not pack again"
  age_inputs
  change intro.txt
  ! packs || fail "touching a file that is not packed packed again"

  "$pak" tick -C "$src/data" intro.txt >/dev/null
  change PakProfile.QXT
  packs || fail "ticking another file did not pack again"
  age_inputs
  "$pak" list "$src/data/Data.Pak" | grep -q 'intro.txt' || fail "the new pack lacks intro.txt"
  ! packs || fail "a build after the tick's build packed again"
  echo "ok: $generator"
done
