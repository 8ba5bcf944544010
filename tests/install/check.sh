#!/usr/bin/env bash
# Checks of what the install rules and the Debian package lay out, one per CTest test:
#
#   check.sh install CMAKE BUILD PREFIX   install BUILD into PREFIX afresh (the others' fixture)
#   check.sh layout PREFIX                exactly the expected files; entries that find each other
#   check.sh desktop PREFIX               desktop-file-validate on the desktop entry
#   check.sh metainfo PREFIX VERSION      appstreamcli on the metainfo; VERSION is released there
#   check.sh man PREFIX VERSION           gzip -9n; no groff warning; every option of --help
#                                         documented
#   check.sh command-line PREFIX VERSION  tintrix's own options, without a display
#   check.sh completion SHELL PREFIX      bash, zsh or fish completes options and their values
#   check.sh completion-file SHELL FILE   the completion FILE of tintrix-fade offers, for each
#                                         line "LINE|WORDS" of standard input, those WORDS
#   check.sh deb CPACK BUILD WORK VERSION HARDENED
#                                         cpack -G DEB in WORK; the package's files, fields and
#                                         changelog; lintian finds no fault, and (HARDENED 1) no
#                                         lack of hardening
#
# Exit status: 0 when the check passed, 1 when it failed, 77 when a tool it needs is missing.
set -uo pipefail

readonly APP_ID=example.quorvel.Tintrix
# Every file an install lays out, relative to the prefix.
readonly EXPECTED_FILES="bin/tintrix
bin/tintrix-fade
share/applications/$APP_ID.desktop
share/bash-completion/completions/tintrix-fade
share/doc/tintrix/copyright
share/fish/vendor_completions.d/tintrix-fade.fish
share/icons/hicolor/scalable/apps/$APP_ID.svg
share/man/man1/tintrix-fade.1.gz
share/man/man1/tintrix.1.gz
share/metainfo/$APP_ID.metainfo.xml
share/zsh/site-functions/_tintrix-fade"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
need() {
  local tool
  for tool; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed"
      exit 77
    fi
  done
}
finish() {
  if ((failures)); then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "passed"
  exit 0
}
# same_lines WHAT EXPECTED ACTUAL: a failure that shows the difference, unless they are equal.
same_lines() {
  [[ $2 == "$3" ]] || fail "$1 differ:"$'\n'"$(diff <(echo "$2") <(echo "$3"))"
}
# The options that a program's --help lists, one a line: the words that start with a dash on
# the lines that start with one.
help_options() {
  "$1" --help | grep -E '^ +-' | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u
}

# color_words: the words "color" and "colors" on standard input outside option names
# (--color, --colors) and markup (Color=, color:, [color=, [/color]). The programs' texts
# spell it "colour".
color_words() {
  grep -oP '(?<![-[/"])\b[Cc]olors?\b(?![=:\]"])'
}

check_install() {
  local cmake=$1 build=$2 prefix=$3
  rm -rf "$prefix" || exit 1
  "$cmake" --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
  finish
}

check_layout() {
  local prefix=$1
  need python3
  local actual
  actual=$(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)
  same_lines "the installed files" "$EXPECTED_FILES" "$actual"

  # The entries name each other: the desktop entry its program and icon, the metainfo its
  # desktop entry and programs.
  local entry=$prefix/share/applications/$APP_ID.desktop key value
  for key in Exec TryExec Icon; do
    value=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
    case $key in
      Icon) [[ -f $prefix/share/icons/hicolor/scalable/apps/$value.svg ]] ||
        fail "Icon=$value names no installed icon" ;;
      *) [[ -x $prefix/bin/$value ]] || fail "$key=$value names no installed program" ;;
    esac
  done
  python3 - "$prefix" "$APP_ID" <<'EOF' || fail "the metainfo or the icon is not what it should be"
import os, sys
import xml.etree.ElementTree as ET

prefix, app_id = sys.argv[1:]
share = os.path.join(prefix, "share")
info = ET.parse(f"{share}/metainfo/{app_id}.metainfo.xml").getroot()
problems = [f"launchable {item.text} is not installed" for item in info.iter("launchable")
            if not os.path.isfile(f"{share}/applications/{item.text}")]
provided = sorted(b.text for b in info.iter("binary"))
installed = sorted(os.listdir(f"{prefix}/bin"))
if provided != installed:
    problems.append(f"the metainfo provides {provided}, bin/ holds {installed}")
svg = ET.parse(f"{share}/icons/hicolor/scalable/apps/{app_id}.svg").getroot()
if svg.tag != "{http://www.w3.org/2000/svg}svg" or "viewBox" not in svg.attrib:
    problems.append("the icon is no scalable SVG")
for problem in problems:
    print("  " + problem)
sys.exit(1 if problems else 0)
EOF
  finish
}

check_desktop() {
  local prefix=$1
  need desktop-file-validate
  local output
  output=$(desktop-file-validate "$prefix/share/applications/$APP_ID.desktop" 2>&1) ||
    fail "desktop-file-validate refused the entry"
  [[ -z $output ]] || fail "desktop-file-validate: $output"
  finish
}

check_metainfo() {
  local prefix=$1 version=$2
  need appstreamcli
  local file=$prefix/share/metainfo/$APP_ID.metainfo.xml
  appstreamcli validate --no-net --no-color "$file" || fail "appstreamcli refused the metainfo"
  grep -q "<release version=\"$version\"" "$file" || fail "no release $version in the metainfo"
  finish
}

# reproducible_gzip FILE: whether FILE is gzip data compressed at the highest level, without a
# stored name or time stamp (gzip -9n): the header's flags, time and extra flags.
reproducible_gzip() {
  [[ $(od -An -tx1 -N10 "$1" | tr -d ' \n') == 1f8b0800000000000203 ]]
}

check_man() {
  local prefix=$1 version=$2
  need groff gzip od
  local page compressed output program option options device
  page=$(mktemp) || exit 1
  trap 'rm -f "$page"' EXIT
  for program in tintrix tintrix-fade; do
    compressed=$prefix/share/man/man1/$program.1.gz
    reproducible_gzip "$compressed" || fail "$program.1.gz is not compressed by gzip -9n"
    gzip -dc "$compressed" >"$page" || { fail "$program.1.gz does not decompress"; continue; }
    for device in ps utf8; do
      output=$(groff -man -ww -z -T"$device" "$page" 2>&1) || fail "groff failed on $program.1"
      [[ -z $output ]] || fail "groff -T$device warns on $program.1: $output"
    done
    grep -q "^\.TH .*\"Tintrix $version\"" "$page" || fail "$program.1 is not the page of $version"
    output=$(cat "$page" <("$prefix/bin/$program" --help) | color_words | paste -sd ' ')
    [[ -z $output ]] || fail "$program.1 or $program --help spells colour \"$output\""
    # Each option of --help has its place in OPTIONS, where roff writes every dash as \-.
    options=$(sed -n '/^\.SH OPTIONS/,/^\.SH/p' "$page")
    for option in $(help_options "$prefix/bin/$program"); do
      grep -qF -- "${option//-/\\-}" <<<"$options" || fail "$program.1 does not document $option"
    done
  done
  finish
}

check_command_line() {
  local prefix=$1 version=$2
  need timeout
  local tintrix=$prefix/bin/tintrix home
  home=$(mktemp -d) || exit 1
  trap 'rm -rf "$home"' EXIT
  # No display and no platform: these answers come before Qt is started.
  local -a bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home"
    XDG_CONFIG_HOME="$home/config")
  # expect STATUS STDOUT STDERR ARGUMENTS...: STDOUT and STDERR are patterns; stderr is one
  # line at most.
  expect() {
    local status=$1 out=$2 err=$3 actual_out actual_err actual_status
    shift 3
    actual_out=$("${bare[@]}" "$tintrix" "$@" 2>"$home/err")
    actual_status=$?
    actual_err=$(<"$home/err")
    [[ $actual_status == "$status" && $actual_out == $out && $actual_err == $err &&
      $actual_err != *$'\n'* ]] ||
      fail "tintrix $*: status $actual_status, stdout \"$actual_out\", stderr \"$actual_err\""
  }
  expect 0 "tintrix $version" "" --version
  expect 0 "Usage: tintrix \[OPTIONS\]"$'\n'"*" "" --help
  expect 0 "Usage: tintrix \[OPTIONS\]"$'\n'"*" "" -h
  expect 0 "tintrix $version" "" -platform offscreen -style=fusion -reverse --version
  # An unknown option is named as it was typed; the value of an option is no option.
  expect 2 "" "tintrix: Unknown option '--bogus'. Try 'tintrix --help'." --bogus
  expect 2 "" "tintrix: Unknown option '--bogus'. Try*" --bogus=1
  expect 2 "" "tintrix: Unknown option '-x'. Try*" -x
  expect 2 "" "tintrix: Unknown options: '-bogus', '--x'. Try*" -platform --bogus -bogus --x=1
  expect 2 "" "tintrix: *'stray'*" stray
  expect 2 "" "tintrix: *'-platform'*" -platform
  expect 2 "" "tintrix: *'--version'*" --version=1
  "${bare[@]}" "$tintrix" --version >/dev/full 2>/dev/null
  [[ $? == 1 ]] || fail "tintrix --version > /dev/full did not fail"

  # Without its own options the window starts and runs until closed: timeout's 124 says it
  # was still running. Both runs at once, to keep the wait short.
  "${bare[@]}" QT_QPA_PLATFORM=offscreen timeout 1.5 "$tintrix" >/dev/null 2>&1 &
  local plain=$!
  "${bare[@]}" timeout 1.5 "$tintrix" -platform offscreen -style fusion >/dev/null 2>&1 &
  local with_qt_options=$!
  wait $plain
  [[ $? == 124 ]] || fail "tintrix did not keep running"
  wait $with_qt_options
  [[ $? == 124 ]] || fail "tintrix -platform offscreen -style fusion did not keep running"
  finish
}

# complete_line SHELL FILE DUMP LINE: the words SHELL offers for LINE with the completion FILE
# of tintrix-fade, one a line, sorted, without the "--option=" and "K=" that some shells repeat
# in front of a value. zsh reads FILE's folder and keeps its cache in DUMP.
complete_line() {
  local shell=$1 file=$2 dump=$3 line=$4
  case $shell in
    bash) bash --norc --noprofile -c '
        source "$1"
        line=$2
        # Readline splits at blanks and makes "=" a word of its own.
        read -ra COMP_WORDS <<<"${line//=/ = }"
        [[ $line == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line}
        function=$(complete -p tintrix-fade | sed -n "s/.*-F \([^ ]*\).*/\1/p")
        "$function" tintrix-fade "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"' \
      bash "$file" "$line" ;;
    fish) fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$file" "$line" | cut -f1 ;;
    zsh) "$(dirname "$0")/zsh-complete.zsh" "$(dirname "$file")" "$dump" "$line" ;;
  esac </dev/null | sed -E 's/^--[a-z-]*=//; s/^[0-9]+=([a-z])/\1/' | grep -v '^$' | LC_ALL=C sort -u
}

# completes SHELL FILE DUMP: a failure for each line "LINE|WORDS" of standard input for which
# SHELL offers other WORDS (complete_line's, separated by spaces).
completes() {
  local line expected actual
  while IFS='|' read -r line expected; do
    actual=$(complete_line "$1" "$2" "$3" "$line" | paste -sd ' ')
    [[ $actual == "$expected" ]] || fail "'$line' completes to '$actual', not '$expected'"
  done
}

check_completion_file() {
  local shell=$1 file=$2
  need "$shell"
  local work
  work=$(mktemp -d) || exit 1
  trap 'rm -rf "$work"' EXIT
  completes "$shell" "$file" "$work/zcompdump"
  finish
}

check_completion() {
  local shell=$1 prefix=$2
  need "$shell"
  local work file
  work=$(mktemp -d) || exit 1
  trap 'rm -rf "$work"' EXIT
  case $shell in
    bash) file=$prefix/share/bash-completion/completions/tintrix-fade ;;
    fish) file=$prefix/share/fish/vendor_completions.d/tintrix-fade.fish ;;
    zsh) file=$prefix/share/zsh/site-functions/_tintrix-fade ;;
  esac
  # The formats, as the program names them when it refuses one.
  local formats
  formats=$("$prefix/bin/tintrix-fade" --format=none x 2>&1 |
    sed -n 's/.*--format takes \(.*\), not.*/\1/p' | sed 's/,\| or / /g' | tr -s ' ' '\n' |
    LC_ALL=C sort | paste -sd ' ')
  [[ -n $formats ]] || fail "tintrix-fade --format=none names no formats"
  # The colour names that start with "dark".
  local name dark=""
  for name in blue cyan goldenrod gray green grey khaki magenta olivegreen orange orchid red \
    salmon seagreen slateblue slategray slategrey turquoise violet; do
    dark+="${dark:+ }dark$name"
  done
  completes "$shell" "$file" "$work/zcompdump" <<EOF
tintrix-fade --colors |10 2 3 4 5
tintrix-fade --format |$formats
tintrix-fade --format=mi|minecraft minecraft-section minecraft-x minimessage
tintrix-fade --blend ok|oklab oklch
tintrix-fade --block=|columns diagonal lines
tintrix-fade --color |10= 11= 12= 13= 14= 15= 16= 17= 18= 19= 1= 20= 21= 22= 23= 24= 25= 26= 27= 28= 29= 2= 30= 31= 32= 3= 4= 5= 6= 7= 8= 9=
tintrix-fade --color 1=rebecca|rebeccapurple
tintrix-fade --color=2=lightgoldenrody|lightgoldenrodyellow
tintrix-fade --color 31=dark|$dark
tintrix-fade --background lightgoldenrody|lightgoldenrodyellow
tintrix-fade --no-|--no-bold --no-italic --no-underline --no-wavy
tintrix-fade --max|--max-error --max-length
tintrix-fade --from mi|minecraft minecraft-section minecraft-x minimessage
tintrix-fade -- --b|
EOF
  # The descriptions spell colour as the programs do (fish names an option after "-l ").
  local actual
  actual=$(sed -E 's/ -l colors? / /' "$file" | color_words | paste -sd ' ')
  [[ -z $actual ]] || fail "the $shell completion spells colour \"$actual\""
  # Every option of the help, and those the help will list with the new formats and blends.
  local offered option
  offered=$(complete_line "$shell" "$file" "$work/zcompdump" "tintrix-fade -")
  for option in $(help_options "$prefix/bin/tintrix-fade") --format --merge --skip-blanks \
    --max-length --stats --blend --read --from --max-error --save-fade --text; do
    grep -qx -- "$option" <<<"$offered" || fail "$shell does not complete $option"
  done
  finish
}

check_deb() {
  local cpack=$1 build=$2 work=$3 version=$4 hardened=$5
  need dpkg-deb dpkg-shlibdeps dpkg-architecture dpkg-parsechangelog readelf gzip od lintian
  rm -rf "$work" && mkdir -p "$work" || exit 1
  (cd "$build" && "$cpack" -G DEB -B "$work") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; finish; }
  local arch deb
  arch=$(dpkg --print-architecture)
  deb=$work/tintrix_${version}_$arch.deb
  [[ -f $deb ]] || { fail "no $deb: $(ls "$work")"; finish; }
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

  # The same files as an install, under /usr, owned by root; the programs executable by all.
  local listing files
  listing=$(dpkg-deb -c "$deb")
  files=$(awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' <<<"$listing" | LC_ALL=C sort)
  # ... except the zsh completion, in the folder where Debian's zsh looks for it, and with the
  # changelog that only a package has.
  local expected=${EXPECTED_FILES/zsh\/site-functions/zsh\/vendor-completions}
  local docs=share/doc/tintrix
  expected=${expected/$docs\/copyright/$docs\/changelog.gz$'\n'$docs\/copyright}
  same_lines "the package's files" "$expected" "$files"
  awk '$2 != "root/root" { exit 1 }' <<<"$listing" || fail "files not owned by root"
  grep -qE '^-rwxr-xr-x .* \./usr/bin/tintrix$' <<<"$listing" || fail "usr/bin/tintrix mode"

  local field expected value
  while IFS='|' read -r field expected; do
    value=$(dpkg-deb -f "$deb" "$field")
    [[ $value == $expected ]] || fail "$field is \"$value\", not like \"$expected\""
  done <<EOF
Package|tintrix
Version|$version
Architecture|$arch
Maintainer|?* <?*@?*>
Section|text
EOF
  value=$(dpkg-deb -f "$deb" Description)
  [[ $value == ?*$'\n'" "?* ]] || fail "no long description"
  awk 'length > 80 { exit 1 }' <<<"$value" || fail "description lines longer than 80 characters"
  # Read whole first: grep -q would leave at the first line, and tar writing the rest into the
  # closed pipe would fail the pipeline now and then.
  local copyright
  copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/tintrix/copyright)
  grep -q "^MIT License" <<<"$copyright" || fail "usr/share/doc/tintrix/copyright is not the MIT licence"
  # The changelog's latest entry is this version's, released by the package's maintainer.
  local changelog=$work/changelog.gz
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/tintrix/changelog.gz >"$changelog"
  reproducible_gzip "$changelog" || fail "the changelog is not compressed by gzip -9n"
  gzip -dc "$changelog" >"$work/changelog" || fail "the changelog does not decompress"
  while IFS='|' read -r field expected; do
    value=$(dpkg-parsechangelog -l "$work/changelog" -S "$field" 2>&1)
    [[ $value == $expected ]] || fail "the changelog's $field is \"$value\", not \"$expected\""
  done <<EOF
Source|tintrix
Version|$version
Maintainer|$(dpkg-deb -f "$deb" Maintainer)
Distribution|[a-z]*
EOF
  # The package depends on the package of every shared library the programs link.
  local depends multiarch owners library owner
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)
  local -a libraries
  libraries=($(readelf -d "$build/tintrix" "$build/tintrix-fade" |
    sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort -u))
  owners=$(dpkg -S "${libraries[@]/#/*/$multiarch/}" 2>/dev/null)
  for library in "${libraries[@]}"; do
    owner=$(grep -m1 "/$library\$" <<<"$owners")
    owner=${owner%%:*}
    [[ -n $owner ]] || { fail "no package owns $library"; continue; }
    [[ ", $depends," == *", $owner "* || ", $depends," == *", $owner,"* ]] ||
      fail "Depends lacks $owner, the package of $library"
  done

  # Debian's own checker of packages finds no error and no warning, and no hardening missing,
  # which it tells as information. What else it says is shown. A build without the hardening
  # (the sanitizer build) makes no package to ship: there only errors count.
  local said status fail_on=error,warning
  ((hardened)) || fail_on=error
  said=$(lintian --pedantic --display-info --fail-on "$fail_on" "$deb" 2>"$work/lintian.log")
  status=$?
  [[ -z $said ]] || echo "lintian: $said"
  ((status == 0)) || fail "lintian failed ($status): $(<"$work/lintian.log")"
  if ((hardened)) && grep -q '^.: [^ ]*: hardening-' <<<"$said"; then
    fail "lintian misses hardening"
  fi
  finish
}

check=${1:-}
shift
case $check in
  install) check_install "$@" ;;
  layout) check_layout "$@" ;;
  desktop) check_desktop "$@" ;;
  metainfo) check_metainfo "$@" ;;
  man) check_man "$@" ;;
  command-line) check_command_line "$@" ;;
  completion) check_completion "$@" ;;
  completion-file) check_completion_file "$@" ;;
  deb) check_deb "$@" ;;
  *)
    echo "usage: $0 install|layout|desktop|metainfo|man|command-line|completion|completion-file|deb" \
      "..." >&2
    exit 2
    ;;
esac
