# Bash completion for kelto3d. It reads the program's own help (`kelto3d
# --help`, `kelto3d COMMAND --help`), so it follows the commands and options
# of the installed version without a list of its own to keep up to date.

# Prints the help block of one option: its own line and the indented lines
# that continue its description.
_kelto3d_option_help() {
  local help=$1 option=$2
  awk -v opt="$option" '
    /^  -/ { inblock = 0
             n = split($1, names, ",")
             for (i = 1; i <= n; i++) if (names[i] == opt) inblock = 1 }
    /^  [^ -]/ && !/^    / { inblock = 0 }
    inblock { print }' <<<"$help"
}

_kelto3d() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local program=${COMP_WORDS[0]}
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    local commands
    commands=$("$program" --help 2>/dev/null | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
    mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    return
  fi

  local command=${COMP_WORDS[1]} help
  help=$("$program" "$command" --help 2>/dev/null) || return

  # The value of an option that takes one (its help line names a placeholder).
  if [[ $prev == -* ]]; then
    local block first placeholder
    block=$(_kelto3d_option_help "$help" "$prev")
    first=${block%%$'\n'*}
    read -r _ placeholder _ <<<"$first"
    if [[ -n $block && $placeholder =~ ^[A-Z][A-Za-z=]*$ ]]; then
      # Values the description lists: "one of A, B, C", "a (default) or b",
      # ": a, b or c", "(A0, A1, A2)".
      local words
      words=$(tr '\n' ' ' <<<"$block" | tr -s ' ' | sed -n \
        -e 's/.*one of \([A-Za-z0-9, ]*\).*/\1/p' \
        -e 's/.* \([a-z][a-z]*\) (default) or \([a-z][a-z]*\).*/\1 \2/p' \
        -e 's/.*: \([a-z][a-z]*\(, [a-z][a-z]*\)* or [a-z][a-z]*\).*/\1/p' \
        -e 's/.*(\([A-Z][A-Z0-9]*\(, [A-Z][A-Z0-9]*\)\+\)).*/\1/p' |
        head -n 1 | sed 's/,/ /g; s/ or / /g')
      if [[ -n $words ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
      elif [[ $placeholder =~ ^(FILE|OUT|XML)$ ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        compopt -o filenames 2>/dev/null
      fi
      return
    fi
  fi

  if [[ $cur == -* ]]; then
    local options
    options=$(awk '/^  -/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }' <<<"$help")
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  compopt -o filenames 2>/dev/null
}

complete -F _kelto3d kelto3d
