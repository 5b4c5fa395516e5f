#!/bin/bash
# Completes command lines with the installed completion against the built
# program and compares the candidates.
set -u
source "$1"
PATH=$(dirname "$2"):$PATH
cd "$3" || exit 1
failures=0
expect() {
  local want=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _kelto3d
  local got="${COMPREPLY[*]:-}"
  if [[ $got != "$want" ]]; then
    echo "completing '$*': got '$got', want '$want'"
    failures=$((failures + 1))
  fi
}
expect "render register" kelto3d re
expect "--view" kelto3d render --vi
expect "LookUp" kelto3d render --view LookU
expect "solid symbolic" kelto3d info --representation ""
expect "mm inch keep" kelto3d convert --units-bore ""
expect "A0 A1 A2 A3 A4" kelto3d render --paper ""
expect "" kelto3d generate --components ""
expect "examples/pump-station.json" kelto3d render -o examples/pump-s
expect "examples/pump-station.json" kelto3d render examples/pump-s
expect "" kelto3d no-such-command --
exit $((failures > 0))
