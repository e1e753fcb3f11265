# bash completion for rarozezev. Commands, subcommands, options, their values and the
# setting names are read from the program's own --help, so they follow the program.

# The words a help text offers after the given words (a command, maybe a subcommand and an
# option), one a line.
_rarozezev_offers()
{
    local help=$1 command=$2 sub=$3 prev=$4
    printf '%s\n' "$help" | awk -v command="$command" -v subcommand="$sub" -v prev="$prev" '
        function alternatives(word,   n, parts, i) {
            n = split(word, parts, "|")
            if (n > 1) for (i = 1; i <= n; i++) print parts[i]
        }
        # A value list right after the option being completed, e.g. "--format text|json".
        prev ~ /^-/ { for (i = 1; i < NF; i++) if ($i == prev) alternatives($(i + 1)); next }
        /^[^ ]/ { section = $0 }
        # Top level: the commands listed under their header.
        command == "" && section ~ /^命令/ && /^  [a-z]/ { print $1; next }
        command == "" { next }
        # First word after a command: its subcommands, or the values of its usage line.
        subcommand == "" && section ~ /^子命令/ && /^  [a-z]/ { print $1 }
        subcommand == "" && /^用法：/ { for (i = 3; i <= NF; i++) if ($i !~ /^[[<]/) alternatives($i) }
        # "config get|set": the setting names; elsewhere the values of the subcommand.
        subcommand != "" && section ~ /^设置项/ && /^  [a-z]/ && (subcommand == "get" || subcommand == "set") {
            name = $1; sub(/（.*/, "", name); print name
        }
        subcommand != "" && section ~ /^子命令/ && $1 == subcommand { for (i = 2; i <= NF; i++) alternatives($i) }
        # Options anywhere in the help.
        { for (i = 1; i <= NF; i++) if ($i ~ /^--[a-z]/) { o = $i; sub(/[^a-z-].*/, "", o); print o } }
    ' | sort -u
}

_rarozezev_complete()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command=${COMP_WORDS[1]} sub=""
    local help
    if ((COMP_CWORD == 1)); then
        help=$("$program" --help 2>/dev/null) || return
        COMPREPLY=($(compgen -W "$(_rarozezev_offers "$help" "" "" "") --help --version" -- "$cur"))
        return
    fi
    help=$("$program" "$command" --help 2>/dev/null) || return
    ((COMP_CWORD > 2)) && [[ ${COMP_WORDS[2]} != -* ]] && sub=${COMP_WORDS[2]}
    [[ $prev == -* ]] || prev=""
    local offers
    offers=$(_rarozezev_offers "$help" "$command" "$sub" "$prev")
    if [[ -n $offers ]]; then
        COMPREPLY=($(compgen -W "$offers" -- "$cur"))
    fi
    # Text, an ID or a path: files are the likeliest help.
    if ((${#COMPREPLY[@]} == 0)); then
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

complete -F _rarozezev_complete rarozezev
