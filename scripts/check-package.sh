#!/usr/bin/env bash
# Checks the two Debian packages `make package` built in DIR (default
# build-package): unpacks them into a scratch root, checks what lands where
# and that it runs, then lintian, desktop-file-validate, appstreamcli and
# man --warnings. Prints every problem and exits 1 when there was one.
# usage: scripts/check-package.sh [DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/package-deps.sh

dir=${1:-build-package}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
app_deb=$dir/wrenfold_${version}_${arch}.deb
dev_deb=$dir/libwfpak-dev_${version}_${arch}.deb
app_id=org.example.wrenfold

# What each package must hold. The program's package holds exactly these.
app_files=(
  usr/bin/wrenfold usr/bin/wrenfold-pak usr/libexec/wrenfold/open-folder
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/man/man1/wrenfold.1.gz usr/share/man/man1/wrenfold-pak.1.gz
  usr/share/bash-completion/completions/wrenfold-pak
  usr/share/doc/wrenfold/copyright usr/share/doc/wrenfold/changelog.gz
)
icon_sizes=(16 22 24 32 48 64 128 256)
for size in "${icon_sizes[@]}"; do
  app_files+=("usr/share/icons/hicolor/${size}x${size}/apps/wrenfold.png")
done
# The reader's package: the files its install rules (component dev) put there,
# at least these; anything else it holds must lie under its own folders.
dev_files=(
  usr/include/wfpak/PakReader.h usr/include/wfpak/wfpak.h
  "usr/lib/$multiarch/libwfpak.a"
  "usr/lib/$multiarch/cmake/wfpak/wfpakConfig.cmake"
  "usr/lib/$multiarch/pkgconfig/wfpak.pc"
  usr/share/doc/libwfpak-dev/copyright usr/share/doc/libwfpak-dev/changelog.gz
)
dev_folders="usr/include/wfpak/ usr/lib/$multiarch/ usr/share/doc/libwfpak-dev/"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root

echo "== packages of version $version in $dir"
for deb in "$app_deb" "$dev_deb"; do
  [ -f "$deb" ] || { echo "FAIL: $deb was not built"; exit 1; }
  dpkg -x "$deb" "$root"
done
listing() { dpkg-deb --fsys-tarfile "$1" | tar -t | sed 's|^\./||' | grep -v '/$' | sort; }
diff <(printf '%s\n' "${app_files[@]}" | sort) <(listing "$app_deb") >"$scratch/diff" ||
  fail "wrenfold holds other files than expected (< missing, > extra):$(echo; cat "$scratch/diff")"
for f in "${dev_files[@]}"; do
  listing "$dev_deb" | grep -qxF "$f" || fail "libwfpak-dev lacks $f"
done
while read -r f; do
  case $f in usr/include/wfpak/* | "usr/lib/$multiarch/"* | usr/share/doc/libwfpak-dev/*) ;;
  *) fail "libwfpak-dev holds $f, outside $dev_folders" ;;
  esac
done < <(listing "$dev_deb")

field() { dpkg-deb -f "$1" "$2"; }
check_field() { # DEB FIELD EXPECTED
  [ "$(field "$1" "$2")" = "$3" ] || fail "$(basename "$1"): $2 is '$(field "$1" "$2")', not '$3'"
}
check_field "$app_deb" Section devel
check_field "$dev_deb" Section libdevel
check_field "$dev_deb" Depends ""
for deb in "$app_deb" "$dev_deb"; do
  check_field "$deb" Version "$version"
  check_field "$deb" Architecture "$arch"
  [ "$(field "$deb" Description | wc -l)" -ge 3 ] || fail "$(basename "$deb") has no long description"
  cmp -s dist/copyright "$root/usr/share/doc/$(field "$deb" Package)/copyright" ||
    fail "$(basename "$deb"): the copyright file is not dist/copyright"
done
for dep in 'libc6 (>=' 'libqt6widgets6 (>=' qt6-qpa-plugins; do
  field "$app_deb" Depends | grep -qF "$dep" || fail "wrenfold does not depend on $dep"
done

echo "== version, changelog, programs"
[ "$(dpkg-parsechangelog -l dist/changelog -S Version)" = "$version" ] ||
  fail "dist/changelog's top entry is not version $version"
zcat "$root/usr/share/doc/wrenfold/changelog.gz" | cmp -s - dist/changelog ||
  fail "the packaged changelog is not dist/changelog"
for program in wrenfold wrenfold-pak; do
  out=$("$root/usr/bin/$program" --version 2>&1) || true
  [ "$out" = "$program $version" ] || fail "$program --version prints '$out'"
done
released=$(date -u -d "$(dpkg-parsechangelog -l dist/changelog -S Date)" +%F)
grep -qF "<release version=\"$version\" date=\"$released\"" "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo names no release $version of $released (the changelog's date)"
if [ -f "$root/usr/lib/$multiarch/pkgconfig/wfpak.pc" ]; then
  pc=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$root/usr/lib/$multiarch/pkgconfig \
    pkg-config --modversion wfpak 2>&1) || true
  [ "$pc" = "$version" ] || fail "pkg-config --modversion wfpak gives '$pc'"
fi

echo "== the desktop entry's launcher"
# The launcher, with a stand-in for the program that prints where it started.
sed "s|^exec .*|exec pwd|" "$root/usr/libexec/wrenfold/open-folder" >"$scratch/open-folder"
odd="$scratch/a folder's \$name & \"more\""
mkdir -p "$odd"
[ "$(sh "$scratch/open-folder" "$odd")" = "$odd" ] || fail "open-folder does not start in the folder given"
[ "$(cd "$odd" && sh "$scratch/open-folder")" = "$odd" ] || fail "open-folder without a folder leaves the current one"
sh "$scratch/open-folder" "$scratch/missing" >/dev/null 2>&1 && fail "open-folder starts on a missing folder"
grep -qx 'exec "/usr/bin/wrenfold"' "$root/usr/libexec/wrenfold/open-folder" ||
  fail "open-folder does not start /usr/bin/wrenfold"
desktop=$root/usr/share/applications/$app_id.desktop
grep -qx 'Exec=/usr/libexec/wrenfold/open-folder %f' "$desktop" || fail "the desktop entry's Exec is not the launcher"
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate:$(echo; echo "$out")"
for size in "${icon_sizes[@]}"; do
  file -b "$root/usr/share/icons/hicolor/${size}x${size}/apps/wrenfold.png" | grep -q "^PNG image data, $size x $size," ||
    fail "the ${size}x${size} icon is not a $size x $size PNG"
done

echo "== AppStream"
out=$(appstreamcli validate-tree --pedantic --no-net "$root" 2>&1) && ! grep -q '^ *[EWIP]: ' <<<"$out" ||
  fail "appstreamcli validate-tree:$(echo; echo "$out")"

echo "== manual pages"
for page in wrenfold wrenfold-pak; do
  gz=$root/usr/share/man/man1/$page.1.gz
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$gz" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "man --warnings on $page.1:$(echo; echo "$out")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' FILES EXAMPLES; do
    zcat "$gz" | grep -qx "\.SH \"\?$section\"\?" || fail "$page.1 has no $section section"
  done
done

echo "== bash completion"
out=$(XDG_DATA_DIRS=$root/usr/share PATH=$root/usr/bin:$PATH bash --norc -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion wrenfold-pak && complete -p wrenfold-pak' 2>&1) || true
[ "$out" = "complete -F _wrenfold_pak wrenfold-pak" ] || fail "bash-completion does not find the completion: $out"
[ "$(pkg-config --variable=completionsdir bash-completion)" = /usr/share/bash-completion/completions ] ||
  fail "bash-completion looks elsewhere than /usr/share/bash-completion/completions"

echo "== lintian"
# Errors and warnings fail, and so does any other tag not named here: an
# informational or pedantic tag that stays needs its reason in the README's
# packaging note, and its name in this list.
accepted_tags=()
status=0
out=$(lintian --fail-on error,warning --display-info --pedantic "$app_deb" "$dev_deb" 2>&1) || status=$?
out=$(grep -v 'running with root privileges' <<<"$out" || true)
[ -z "$out" ] || echo "$out"
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings (exit status $status)"
while read -r tag; do
  [[ " ${accepted_tags[*]} " == *" $tag "* ]] || fail "lintian tag $tag is not among the accepted ones"
done < <(sed -n 's/^[A-Z]: [^ ]*: \([^ ]*\).*/\1/p' <<<"$out" | sort -u)

if [ "$failures" -gt 0 ]; then
  echo "check-package: $failures problem(s)"
  exit 1
fi
echo "check-package: both packages are sound"
