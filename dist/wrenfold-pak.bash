# bash completion for wrenfold-pak                          -*- shell-script -*-
# Commands, each command's options, folders where a project is expected,
# files where a pack is expected, and after `extract FILE` the pack's entry
# names (read with `wrenfold-pak list`, with the --key and --mask given).
# Plain bash: works whether or not the bash-completion package is loaded.

_wrenfold_pak_commands="build list verify extract tick untick strip help"

# Prints the options COMMAND takes.
_wrenfold_pak_options()
{
    local common="--help --help-all"
    case $1 in
        build) echo "$common --quiet --dry-run --depfile" ;;
        list) echo "$common --key --mask" ;;
        verify) echo "$common --key --mask --project" ;;
        extract) echo "$common --key --mask -C --force" ;;
        tick | untick) echo "$common -C --dry-run" ;;
        strip) echo "$common --key --mask --dry-run" ;;
    esac
}

# Completes the current word as a folder name, or a file name with -f.
_wrenfold_pak_paths()
{
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    if [[ $1 == -d ]]; then
        COMPREPLY=($(compgen -d -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_wrenfold_pak()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    # The command is the first word after the program that is not an option.
    local i command="" command_at=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        if [[ ${COMP_WORDS[i]} != -* ]]; then
            command=${COMP_WORDS[i]} command_at=$i
            break
        fi
    done
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "--help --help-all --version" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$_wrenfold_pak_commands" -- "$cur"))
        fi
        return
    fi

    # An option's own argument.
    case $prev in
        -C | --project) _wrenfold_pak_paths -d; return ;;
        --depfile) _wrenfold_pak_paths -f; return ;;
        --key | --mask) return ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_wrenfold_pak_options "$command")" -- "$cur"))
        return
    fi

    # The arguments that are not options, and the key and mask given so far.
    local args=() key_opts=() word
    for ((i = command_at + 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
            --key | --mask) key_opts+=("$word" "${COMP_WORDS[i + 1]}"); ((i++)) ;;
            -C | --project | --depfile) ((i++)) ;;
            -*) ;;
            *) args+=("$word") ;;
        esac
    done

    case $command in
        help) COMPREPLY=($(compgen -W "$_wrenfold_pak_commands" -- "$cur")) ;;
        build) ((${#args[@]} == 0)) && _wrenfold_pak_paths -d ;;
        list | verify | strip) ((${#args[@]} == 0)) && _wrenfold_pak_paths -f ;;
        tick | untick) _wrenfold_pak_paths -f ;;
        extract)
            if ((${#args[@]} == 0)); then
                _wrenfold_pak_paths -f
            else
                # Entry names, with / for the pack's \ (extract takes either),
                # matched here rather than by compgen -W, which would expand
                # a $ or a quote in a name.
                local pack=${args[0]/#\~/$HOME} name
                compopt -o filenames 2>/dev/null
                while IFS= read -r name; do
                    name=${name//\\//}
                    [[ $name == "$cur"* ]] && COMPREPLY+=("$name")
                done < <(wrenfold-pak list "$pack" "${key_opts[@]}" 2>/dev/null | cut -f3-)
            fi
            ;;
    esac
}

complete -F _wrenfold_pak wrenfold-pak
