# bash completion for cadrelle                             -*- shell-script -*-
# Completes the commands, each command's options, the --video-format values,
# and files of the kind an option or operand asks for: PNG screenshots and
# MP4 recordings as captures, PNG files as frames, folders as folders. It
# needs nothing but bash itself.

# The word being completed as the shell will read it: quotes and backslash
# escapes removed (a leading ~ is left for compgen, which expands it).
_cadrelle_dequote() {
    local word=$1 text='' i
    case $word in
    \'*) text=${word#\'} ;;
    \"*) text=${word#\"} ;;
    *)
        for ((i = 0; i < ${#word}; i++)); do
            [[ ${word:i:1} == \\ ]] && ((i += 1))
            text+=${word:i:1}
        done
        ;;
    esac
    printf '%s' "$text"
}

# Adds names of the kind to COMPREPLY: "captures", "frames", "json",
# "folders" or "files". Folders are always offered, to go on into.
_cadrelle_files() {
    local kind=$1 word pattern
    word=$(_cadrelle_dequote "$2")
    compopt -o filenames 2>/dev/null || true
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -d -- "$word")
    case $kind in
    captures) pattern='!*.@([pP][nN][gG]|[mM][pP]4)' ;;
    frames) pattern='!*.[pP][nN][gG]' ;;
    json) pattern='!*.[jJ][sS][oO][nN]' ;;
    files) pattern= ;;
    *) return ;;
    esac
    mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(
        shopt -s extglob
        compgen -f -X "$pattern" -- "$word"
    )
}

_cadrelle_words() {
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$2")
}

_cadrelle() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local command=${COMP_WORDS[1]:-} options
    local commands='frame inspect-frame import-frames app frame-all watch compose'
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        if [[ $cur == -* ]]; then
            _cadrelle_words '--help --version' "$cur"
        else
            _cadrelle_words "$commands help" "$cur"
        fi
        return
    fi

    case $command in
    help)
        ((COMP_CWORD == 2)) && _cadrelle_words "$commands" "$cur"
        return
        ;;
    frame) options='--input --frame --output --video-format' ;;
    inspect-frame) options='--input' ;;
    import-frames) options='--library' ;;
    app) options='--background --data-dir' ;;
    frame-all) options='--output --library --preferred --video-format --json' ;;
    watch) options='--input --output --library --preferred --all-png --video-format --json' ;;
    compose) options='--config --output --locale --size --library --json' ;;
    *) return ;;
    esac

    # The value of the option before the word.
    case "$command $prev" in
    *' --video-format')
        _cadrelle_words 'mp4 hevc-alpha prores-4444' "$cur"
        return
        ;;
    *' --preferred' | *' --locale' | *' --size') return ;;
    'compose --config') _cadrelle_files json "$cur"; return ;;
    'frame --input') _cadrelle_files captures "$cur"; return ;;
    'frame --output') _cadrelle_files files "$cur"; return ;;
    *' --frame' | 'inspect-frame --input') _cadrelle_files frames "$cur"; return ;;
    *' --input' | *' --output' | *' --library' | *' --data-dir') _cadrelle_files folders "$cur"; return ;;
    esac

    # An option, or the command's operands.
    if [[ $cur == -* ]]; then
        _cadrelle_words "$options --help" "$cur"
        return
    fi
    case $command in
    frame-all | app) _cadrelle_files captures "$cur" ;;
    import-frames) _cadrelle_files frames "$cur" ;;
    *) _cadrelle_words "$options" "$cur" ;;
    esac
}

complete -F _cadrelle cadrelle
