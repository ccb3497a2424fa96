#!/usr/bin/env bash
# The three ways a game takes the reader in: add_subdirectory, find_package
# after an install into a scratch prefix, and pkg-config alone.
# run.sh READER_SOURCE WORK_DIR PACK
set -euo pipefail
src=$1 work=$2 pack=$3 here=$(cd "$(dirname "$0")" && pwd) gen=(-G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release)
rm -rf "$work" && mkdir -p "$work"

echo "== add_subdirectory"
cmake -S "$here" -B "$work/subdir" "${gen[@]}" -DWFPAK_SOURCE="$src" > "$work/subdir.log"
# A game that includes the reader gets neither its tests nor -Werror.
! grep -q -- "-Werror" "$work/subdir/wfpak/CMakeFiles/wfpak_reader.dir/flags.make" || { echo "the reader pushed -Werror onto the game"; exit 1; }
[ "$(cd "$work/subdir" && ctest -N | grep -c 'Test *#' || true)" = 0 ] || { echo "the reader's tests ran in the game"; exit 1; }
cmake --build "$work/subdir" -j2 > /dev/null
"$work/subdir/game_c" "$pack" && "$work/subdir/game_cpp" "$pack"

echo "== find_package"
cmake -S "$src" -B "$work/reader" "${gen[@]}" -DWFPAK_TESTS=OFF > /dev/null
cmake --build "$work/reader" -j2 > /dev/null
cmake --install "$work/reader" --prefix "$work/prefix" --component dev > /dev/null
for f in include/wfpak/PakReader.h include/wfpak/wfpak.h lib/libwfpak.a lib/cmake/wfpak/wfpakConfig.cmake \
         lib/cmake/wfpak/wfpakConfigVersion.cmake lib/pkgconfig/wfpak.pc; do
  [ -f "$work/prefix/$f" ] || { echo "not installed: $f"; ls -R "$work/prefix"; exit 1; }
done
cmake -S "$here" -B "$work/package" "${gen[@]}" -DCMAKE_PREFIX_PATH="$work/prefix" > /dev/null
cmake --build "$work/package" -j2 > /dev/null
"$work/package/game_c" "$pack" && "$work/package/game_cpp" "$pack"

echo "== pkg-config"
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
cc -std=c99 -o "$work/game_pc" "$here/game.c" $(pkg-config --cflags --libs wfpak)
"$work/game_pc" "$pack"
echo "all three ways in work"
