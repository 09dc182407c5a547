# Completion of tunoxa-batch for bash: its options, the formats after -f (--format), folders after -o
# (--output), and folders, FLAC and video files as the files to convert. It needs nothing of
# bash-completion.

_tunoxa_batch_inputs()
{
    local name
    while IFS= read -r name; do
        if [[ -d $name ]]; then
            COMPREPLY+=("$name")
            continue
        fi
        case ${name,,} in
        *.flac | *.mp4 | *.m4v | *.avi | *.mpg | *.mpeg | *.mov | *.mkv | *.webm | *.flv | *.3gp | \
            *.wmv | *.ogv | *.ts | *.rm | *.rmvb | *.vob)
            COMPREPLY+=("$name")
            ;;
        esac
    done < <(compgen -f -- "$1")
}

_tunoxa_batch()
{
    local current=${COMP_WORDS[COMP_CWORD]}
    local previous=${COMP_WORDS[COMP_CWORD - 1]}
    # The name as the shell reads it: without its opening quote or its backslashes.
    case $current in
    \'* | \"*) current=${current:1} ;;
    *) current=${current//\\/} ;;
    esac
    COMPREPLY=()
    # The option whose value is being typed: bash splits "--output=" into "--output" and "=", and
    # after letters such as -Lo the last one takes the next word.
    local option=$previous
    if [[ $previous == = && COMP_CWORD -ge 2 ]]; then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $previous =~ ^-[Lnh]*([fbrcvsFoj])$ ]]; then
        option=-${BASH_REMATCH[1]}
    fi
    case $option in
    -f | --format)
        mapfile -t COMPREPLY < <(compgen -W 'mp3 rmvb rm mpg avi mp4hd mov mp4mobile 3gp opus aac vorbis' -- "$current")
        return
        ;;
    -o | --output)
        mapfile -t COMPREPLY < <(compgen -d -- "$current")
        return
        ;;
    -c | --channels)
        mapfile -t COMPREPLY < <(compgen -W '1 2' -- "$current")
        return
        ;;
    -s | --size)
        mapfile -t COMPREPLY < <(compgen -W 'original' -- "$current")
        return
        ;;
    -j | --jobs)
        mapfile -t COMPREPLY < <(compgen -W "$(seq "$(nproc)")" -- "$current")
        return
        ;;
    -b | -r | -v | -F | --bitrate | --rate | --video-bitrate | --fps | --cover-size)
        return
        ;;
    esac
    # Options until a "--" ends them.
    local k
    for ((k = 1; k < COMP_CWORD; k++)); do
        [[ ${COMP_WORDS[k]} == -- ]] && break
    done
    if [[ $k == "$COMP_CWORD" && $current == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '-f -b -r -c -v -s -F -o -j -L -n -h --format --bitrate --rate --channels
            --video-bitrate --size --fps --output --jobs --library --dry-run --delete --cover-size --fat-names
            --no-fat-names --help --version --' -- "$current")
        return
    fi
    _tunoxa_batch_inputs "$current"
}

complete -o filenames -F _tunoxa_batch tunoxa-batch
