# Bash completion for g722kit: its commands, each command's options, the values of the options
# that take one of a few, and file names. The commands and options are read from the tool's own
# help, so that they are always those of the tool installed.

# The commands, from "g722kit --help".
_g722kit_commands() {
  "$1" --help 2>/dev/null | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p'
}

# The options of a command, short and long, from "g722kit help COMMAND".
_g722kit_options() {
  "$1" help "$2" 2>/dev/null | awk '$1 ~ /^-/ { gsub(",", " ", $1); print $1 }'
}

# The values of an option whose help lists them ("--endian little|big").
_g722kit_values() {
  "$1" help "$2" 2>/dev/null | awk -v option="$3" '$1 ~ /^-/ {
    n = split($1, names, ",")
    for (i = 1; i <= n; i++)
      if (names[i] == option && $2 ~ /^[a-z0-9]+(\|[a-z0-9]+)+$/) { gsub(/\|/, " ", $2); print $2 }
  }'
}

_g722kit() {
  local tool=${COMP_WORDS[0]} current=${COMP_WORDS[COMP_CWORD]}
  local previous=${COMP_WORDS[COMP_CWORD - 1]} command=${COMP_WORDS[1]} values
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$(_g722kit_commands "$tool") --help --version" -- "$current")
  elif [[ $command == help ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_g722kit_commands "$tool")" -- "$current")
  elif [[ $previous == -* ]] && values=$(_g722kit_values "$tool" "$command" "$previous") &&
    [[ -n $values ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$values" -- "$current")
  elif [[ $current == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$(_g722kit_options "$tool" "$command")" -- "$current")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$current")
  fi
}
complete -o filenames -F _g722kit g722kit
