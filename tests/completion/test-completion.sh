#!/usr/bin/env bash
# Sources the bash completion of wrenfold-pak in a plain bash and checks what
# it offers for a table of command lines, in a scratch copy of the demo
# project with a masked pack built from it.
# usage: test-completion.sh COMPLETION_SCRIPT WRENFOLD_PAK_DIR
set -uo pipefail
script=$(realpath "$1")
export PATH="$(cd "$2" && pwd):$PATH"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$(dirname "$0")/../../examples/demo-game" "$scratch/game"
cd "$scratch/game" || exit 1
printf 'x\n' > 'maps/my level.map'
mkdir 'with space'
printf '%s\r\n' 'Korvane Pak System Profile' ' 1 ' ' 0 ' 5D5D5D5D Mygame.exe 5B19C7E4 \
    'gfx\title.bmp' 'gfx\fonts\big.fnt' 'sfx\jump.wav' 'maps\my level.map' > PakProfile.QXT
wrenfold-pak build --quiet || { echo "FAIL: the pack for the test did not build"; exit 1; }
# shellcheck source=/dev/null
source "$script"
complete -p wrenfold-pak >/dev/null || { echo "FAIL: no completion registered"; exit 1; }

failures=0
# LINE|OFFERS: words split at spaces, a trailing space starts a new word;
# the offers sorted, separated by commas.
while IFS='|' read -r line expected; do
    [[ -z $line || $line == \#* ]] && continue
    line=${line//\{key\}/--key 5D5D5D5D --mask 5B19C7E4}
    read -r -a COMP_WORDS <<< "$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _wrenfold_pak wrenfold-pak "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd, -)
    [[ $got == "$expected" ]] || { echo "FAIL: '$line': expected '$expected', got '$got'"; failures=$((failures + 1)); }
done <<'CASES'
# Commands, the options before one, and each command's own options.
wrenfold-pak |build,extract,help,list,strip,tick,untick,verify
wrenfold-pak ex|extract
wrenfold-pak --v|--version
wrenfold-pak build --d|--depfile,--dry-run
wrenfold-pak extract -|--force,--help,--help-all,--key,--mask,-C
# Folders where a project is expected, files where a pack is.
wrenfold-pak build |gfx,maps,sfx,with space
wrenfold-pak tick -C w|with space
wrenfold-pak list D|Data.Pak
wrenfold-pak strip My|Mygame.exe
# An option's value is not a file, and a key is not completed at all.
wrenfold-pak extract --key |
wrenfold-pak build --depfile Da|Data.Pak
# Entry names after extract FILE, read with the key given; / for \.
wrenfold-pak extract {key} Data.Pak |gfx/fonts/big.fnt,gfx/title.bmp,maps/my level.map,sfx/jump.wav
wrenfold-pak extract -C maps {key} --force Data.Pak s|sfx/jump.wav
wrenfold-pak extract {key} Data.Pak sfx/jump.wav g|gfx/fonts/big.fnt,gfx/title.bmp
# Without the key the pack does not read: nothing is offered.
wrenfold-pak extract Data.Pak |
CASES
((failures == 0)) || { echo "$failures completion case(s) failed"; exit 1; }
echo "all completion cases passed"
