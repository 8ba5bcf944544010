# bash completion for tintrix-fade                                      -*- shell-script -*-

_tintrix_fade() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}

  # After "--" every word is TEXT.
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    [[ ${COMP_WORDS[i]} == -- ]] && return 0
  done

  # The option whose value is being typed, and what goes before the value in the reply: bash
  # splits "--format=ht" into "--format" "=" "ht" when "=" breaks words, as it does by default.
  local option="" prefix=""
  if [[ $cur == = && $prev == --* ]]; then
    option=$prev cur=""
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == --*=* ]]; then
    option=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}
  elif [[ $cur != -* ]]; then
    option=$prev
  fi

  local values=""
  case $option in
    --colors) values="2 3 4 5 10" ;;
    --format) values="classic html bbcode ansi minecraft minimessage" ;;
    --blend) values="rgb oklab oklch hsv" ;;
    --color)
      # K=VALUE: offer the slots; the value is the user's.
      values="1= 2= 3= 4= 5= 6= 7= 8= 9= 10="
      compopt -o nospace 2>/dev/null
      ;;
    --fade | --output | -o)
      compopt -o filenames 2>/dev/null
      local IFS=$'\n'
      COMPREPLY=($(compgen -f -- "$cur"))
      COMPREPLY=("${COMPREPLY[@]/#/$prefix}")
      return 0
      ;;
    --font | --seed | --max-length) return 0 ;;
  esac
  if [[ -n $values ]]; then
    COMPREPLY=($(compgen -P "$prefix" -W "$values" -- "$cur"))
    return 0
  fi

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W '--defaults --fade --colors --color --wavy --no-wavy --bold
      --no-bold --italic --no-italic --underline --no-underline --font --markup-only --seed
      --format --merge --skip-blanks --max-length --stats --blend -o --output --help
      --version --' -- "$cur"))
  fi
} && complete -F _tintrix_fade tintrix-fade

# ex: filetype=sh
