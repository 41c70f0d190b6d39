#!/usr/bin/env bash
# The bash completion that kalyxprn makes from its command table offers what the program takes.
# Usage: completion_test.sh KALYXPRN
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$1" --completion bash >"$scratch/completion"
cd "$scratch" && touch a-file.prn
# shellcheck source=/dev/null
source "$scratch/completion"
compopt() { :; } # outside a completion it would complain

# What completing LINE offers (a trailing space starts a new word).
offered() {
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kalyxprn
    echo " ${COMPREPLY[*]} "
}

failures=0
# LINE | words that must be offered | words that must not
while IFS='|' read -r line wanted unwanted; do
    got=$(offered "$line")
    for word in $wanted; do
        [[ $got == *" $word "* ]] || { echo "FAIL: '$line' lacks $word: $got"; failures=1; }
    done
    for word in $unwanted; do
        [[ $got != *" $word "* ]] || { echo "FAIL: '$line' offers $word: $got"; failures=1; }
    done
done <<'CASES'
kalyxprn |check compose printer --version|
kalyxprn mag --|--jis --json|--force
kalyxprn compose --|--fit --rotate --preview --front --option|
kalyxprn compose --fit |cover contain stretch|a-file.prn
kalyxprn set -|--force -o|
kalyxprn check |a-file.prn|
kalyxprn printer --usb /dev/usb/lp0 move |eject to-contact|a-file.prn
kalyxprn printer --usb |get calibrate|a-file.prn
kalyxprn printer --tcp 127.0.0.1 |mag-read report|a-file.prn
kalyxprn printer --tcp 127.0.0.1 report |a-file.prn|
kalyxprn printer --tcp 127.0.0.1 clear-error |retry cancel|a-file.prn
CASES
exit $failures
