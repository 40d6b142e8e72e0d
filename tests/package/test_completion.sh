#!/bin/bash
# The bash completion offers the commands, their options and the values they
# take. bash-completion's own helpers are stood in for: only the file's logic
# is tested here, not the package that loads it.
set -u
_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD - 1]}; words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; }
_filedir() { COMPREPLY=("<files:${1:-}>"); }
# shellcheck source=/dev/null
source "$1"

failures=0
expect() { # expect "WANTED" word...
    local wanted=$1; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
    _brivane
    local got="${COMPREPLY[*]:-}"
    if [[ $got != "$wanted" ]]; then
        echo "FAIL: '$*' gave '$got', wanted '$wanted'"; failures=$((failures + 1))
    fi
}

expect "add list open import export --help --version" brivane ""
expect "list" brivane li
expect "--json --all --today --tomorrow --next-five --completed" brivane list ""
expect "--next-five" brivane list --json --n
expect "reminders" brivane open rem
expect "" brivane open add ""
expect "--at --in --note --every --except --warn --sound --silent --mail" brivane add Tee --
expect "" brivane add Tee --at ""
expect "minutes months" brivane add Tee --every 2 m
expect "sat sun sat,sun" brivane add Tee --every 1 day --except s
expect "<files:@(wav|ogg|oga|mp3|flac)>" brivane add Tee --sound ""
expect "<files:tsk>" brivane import ""
expect "" brivane export Tee
expect "<files:tsk>" brivane export Tee ""
[[ $(complete -p brivane) == *_brivane* ]] || { echo "FAIL: not registered for brivane"; failures=$((failures + 1)); }
exit $((failures > 0))
