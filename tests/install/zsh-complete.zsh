#!/usr/bin/env zsh
# Prints the words that zsh's completion offers for a command line, one a line:
#
#     zsh-complete.zsh DIR DUMP LINE
#
# DIR holds the completion functions to try. LINE is typed into an interactive zsh on a
# pseudo-terminal and Tab pressed there; the matches that the completion functions add are
# printed instead of shown. DUMP is the completion system's cache: the first call with a DUMP
# that does not exist yet builds it (a second or so), later calls read it. Exit status 77 when
# zsh has no pseudo-terminal module.
emulate -L zsh
zmodload zsh/zpty 2>/dev/null || { print -u2 "zsh has no zpty module"; exit 77 }
(( $# == 3 )) || { print -u2 "usage: $0 DIR DUMP LINE"; exit 2 }

local setup
setup=$(mktemp) || exit 1
trap 'rm -f $setup' EXIT
cat >$setup <<SETUP
PROMPT= RPROMPT=
fpath=(${(q)1} \$fpath)
autoload -Uz compinit && compinit -C -d ${(q)2}
bindkey '^I' complete-word
zstyle ':completion:*' insert-tab false
compadd() {
  # Calls that ask for the matches back (-O, -A, -D) are the completion system's own.
  if [[ \${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]]; then
    builtin compadd "\$@"
    return
  fi
  local -a hits
  builtin compadd -A hits "\$@"
  (( \$#hits )) && print -rl -- "::match::"\${^hits}
  builtin compadd "\$@"
}
completion-done() { print -r -- "::done::"; exit }
comppostfuncs=(completion-done)
print -r -- "::ready::"
SETUP

zpty shell zsh -f -i
zpty -w shell "source ${(q)setup}"
local out=""
while zpty -r -t shell out && [[ $out != *::ready::* ]]; do :; done
zpty -w -n shell "$3"$'\t'
local -a matches
local expire=$(( SECONDS + 10 ))
while (( SECONDS < expire )); do
  zpty -r -t shell out || { sleep 0.05; continue }
  [[ $out == *::done::* ]] && break
  [[ $out == *::match::* ]] && matches+=("${${out##*::match::}%%[$'\r\n']*}")
done
zpty -d shell
(( SECONDS < expire )) || { print -u2 "zsh did not finish the completion"; exit 1 }
print -rl -- ${(u)matches}
