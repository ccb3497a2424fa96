#!/usr/bin/env bash
# make check-windows: cross-compiles the reader, its C interface and its
# tests with mingw-w64 and runs the tests under Wine. Installs the compiler
# and Wine when missing. BUILD_DIR as for make (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${BUILD_DIR:-build}/windows")

missing=()
command -v x86_64-w64-mingw32-g++-posix > /dev/null || missing+=(g++-mingw-w64-x86-64)
command -v wine > /dev/null || [ -x /usr/lib/wine/wine64 ] || missing+=(wine wine64)
if [ ${#missing[@]} -gt 0 ]; then
  echo "check-windows: installing ${missing[*]}"
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  for attempt in 1 2 3 4 5; do
    $sudo apt-get install -y --no-install-recommends "${missing[@]}" && break
    sleep 20 # another process may hold the apt lock
  done
fi
wine=$(command -v wine || echo /usr/lib/wine/wine64)

cmake -S src/reader -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/src/reader/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DWFPAK_TESTS=ON -DWFPAK_WERROR=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target wfpak_test_reader wfpak_selfread wfpak_make_packs wfpak_test_c99

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
echo "check-windows: starting Wine (slow the first time)"
"$wine" wineboot --init > /dev/null 2>&1 || true
tests="$build/tests"
# Plain and masked packs, by a name with non-ASCII characters, a game
# reading the pack appended to itself, 8 threads reading one pack.
"$wine" "$tests/wfpak_test_reader.exe"
"$wine" "$tests/wfpak_make_packs.exe" 'C:\wfpak-packs'
"$wine" "$tests/wfpak_test_c99.exe" 'C:\wfpak-packs'
echo "check-windows: all passed"
