#include "cli/completions.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace tintrix {

namespace {

// ---- Quoting.

// `text` in single quotes, for bash and zsh.
std::string ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `text` in fish's single quotes, where only \ and ' are escaped.
std::string FishQuoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\\' || c == '\'') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

// `text` with a backslash before each of `escapable`.
std::string Escaped(std::string_view text, std::string_view escapable) {
  std::string escaped;
  for (const char c : text) {
    if (escapable.find(c) != std::string_view::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string Capitalised(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

bool HasChoices(const Option& option) {
  return option.values == Values::kChoice || option.values == Values::kSuggested ||
         option.values == Values::kPrefix;
}

// The choices' names, separated by spaces.
std::string ChoiceWords(const Option& option) {
  std::string words;
  for (const Choice& choice : option.choices()) words += (words.empty() ? "" : " ") + choice.name;
  return words;
}

// Every name, and "--", separated by spaces and broken into lines of up to 90 columns, the
// first starting at `column` and the others indented by `indent`.
std::string AllNames(std::span<const Option> options, std::size_t column, std::string_view indent) {
  std::vector<std::string> names;
  for (const Option& option : options) {
    if (!option.shortName.empty()) names.emplace_back(option.shortName);
    names.emplace_back(option.name);
    if (option.negatable) names.push_back(NegatedName(option));
  }
  names.emplace_back("--");
  std::string text = names.front();
  column += text.size();
  for (std::size_t k = 1; k < names.size(); ++k) {
    if (column + 1 + names[k].size() > 90) {
      text.append("\n").append(indent);
      column = indent.size();
    } else {
      text += ' ';
      ++column;
    }
    text += names[k];
    column += names[k].size();
  }
  return text;
}

// ---- bash.

constexpr std::string_view kBashHead =
    R"sh(# bash completion for tintrix-fade, made from its table of options  -*- shell-script -*-

# Offers the files whose names start with $1, each after $2.
_tintrix_fade_files() {
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY=($(compgen -f -- "$1"))
  COMPREPLY=("${COMPREPLY[@]/#/$2}")
}

_tintrix_fade() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}

  # After "--" every word is TEXT.
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    [[ ${COMP_WORDS[i]} == -- ]] && return 0
  done

  # The option whose value is being typed, what goes before the value in the reply, and
  # whether the value follows "=": bash splits "--format=ht" into "--format" "=" "ht" when "="
  # breaks words, as it does by default.
  local option="" prefix="" equals=""
  if [[ $cur == = && $prev == --* ]]; then
    option=$prev cur="" equals=1
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    option=${COMP_WORDS[COMP_CWORD - 2]} equals=1
  elif [[ $cur == --*=* ]]; then
    option=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=} equals=1
  elif [[ $cur != -* ]]; then
    option=$prev
  fi

  # What the option's value may be; an optional value only after "=".
  local values="" nospace=""
  case $option in
)sh";

constexpr std::string_view kBashTail = R"sh(  esac
  if [[ -n $values ]]; then
    [[ -n $nospace ]] && compopt -o nospace 2>/dev/null
    COMPREPLY=($(compgen -P "$prefix" -W "$values" -- "$cur"))
    return 0
  fi

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W ')sh";

constexpr std::string_view kBashEnd = R"sh(' -- "$cur"))
  fi
} && complete -F _tintrix_fade tintrix-fade

# ex: filetype=sh
)sh";

std::string BashAction(const Option& option) {
  switch (option.values) {
    case Values::kFile:
      return R"(_tintrix_fade_files "$cur" "$prefix"; return 0)";
    case Values::kAny:
      return "return 0";
    case Values::kPrefix:
      return "values=" + ShellQuoted(ChoiceWords(option)) + " nospace=1";
    case Values::kChoice:
    case Values::kSuggested:
      break;
  }
  return "values=" + ShellQuoted(ChoiceWords(option));
}

std::string BashCase(const Option& option) {
  std::string patterns(option.name);
  if (!option.shortName.empty()) patterns += " | " + std::string(option.shortName);
  const std::string action = option.argument == Argument::kOptional
                                 ? "[[ -z $equals ]] || { " + BashAction(option) + "; }"
                                 : BashAction(option);
  return "    " + patterns + ") " + action + " ;;\n";
}

// ---- zsh.

// The name of the array that holds an option's choices: values_max_length.
std::string ZshArray(const Option& option) {
  std::string name = "values_" + std::string(option.name.substr(2));
  for (char& c : name) c = c == '-' ? '_' : c;
  return name;
}

std::string ZshChoices(const Option& option) {
  std::string items;
  for (const Choice& choice : option.choices()) {
    const std::string item =
        Escaped(choice.name, "\\:") + (choice.description.empty() ? "" : ":" + choice.description);
    items += "  " + ShellQuoted(item) + "\n";
  }
  return ZshArray(option) + "=(\n" + items + ")\n";
}

// What _arguments does with the argument: ":MESSAGE:ACTION", "::" for an optional one.
std::string ZshArgument(const Option& option) {
  const std::string message = Escaped(option.metavar, "\\:");
  std::string action;
  switch (option.values) {
    case Values::kFile:
      action = "_files";
      break;
    case Values::kAny:
      action = " ";
      break;
    case Values::kPrefix:
      action = "{compadd -S \"\" -- " + ChoiceWords(option) + "}";
      break;
    case Values::kChoice:
    case Values::kSuggested:
      action = "{_describe " + message + " " + ZshArray(option) + "}";
      break;
  }
  return (option.argument == Argument::kOptional ? "::" : ":") + message + ":" + action;
}

std::string ZshDescription(std::string_view text) { return "[" + Escaped(text, "\\[]") + "]"; }

// What the option rules out: everything for one that runs alone, its other names and its
// negation otherwise, so that they are offered no more once it is given.
std::string ZshExclusions(const Option& option) {
  if (option.alone) return "(- : *)";
  std::string names;
  if (!option.shortName.empty()) {
    names = std::string(option.shortName) + " " + std::string(option.name);
  }
  if (option.negatable) names += (names.empty() ? "" : " ") + NegatedName(option);
  return names.empty() ? "" : "(" + names + ")";
}

// The _arguments words of an option, each on a line of its own.
std::string ZshWords(const Option& option) {
  const char* suffix = option.argument == Argument::kRequired   ? "="
                       : option.argument == Argument::kOptional ? "=-"
                                                                : "";
  const std::string lead = ZshExclusions(option) + (option.repeatable ? "*" : "");
  const std::string rest = ZshDescription(ShortHelp(option)) +
                           (option.argument == Argument::kNone ? "" : ZshArgument(option));
  std::string words = option.shortName.empty()
                          ? ShellQuoted(lead + std::string(option.name) + suffix + rest)
                          : ShellQuoted(lead) + "{" + std::string(option.shortName) + "," +
                                std::string(option.name) + suffix + "}" + ShellQuoted(rest);
  if (option.negatable) {
    words += " \\\n  " + ShellQuoted("(" + std::string(option.name) + ")" + NegatedName(option) +
                                     ZshDescription("turn " + std::string(option.name) + " off"));
  }
  return "  " + words + " \\\n";
}

// ---- fish.

std::string FishChoices(const Option& option) {
  std::string items;
  for (const Choice& choice : option.choices()) {
    if (!items.empty()) items += ' ';
    items += Escaped(choice.name, " \t\\'\"$()*?~{}[];&|<>#");
    // \t parts the name from its description, which is in fish's double quotes.
    if (!choice.description.empty()) {
      items += "\\t\"" + Escaped(Capitalised(choice.description), "\\\"$") + "\"";
    }
  }
  return " -a " + FishQuoted(items);
}

std::string FishFlags(const Option& option) {
  const bool file = option.values == Values::kFile;
  switch (option.argument) {
    case Argument::kRequired:
      return file ? " -rF" : " -x";
    case Argument::kOptional:
      return file ? " -F" : "";
    case Argument::kNone:
      break;
  }
  return "";
}

std::string FishLines(const Option& option) {
  std::string line = "complete -c tintrix-fade";
  if (!option.shortName.empty()) line += " -s " + std::string(option.shortName.substr(1));
  line += " -l " + std::string(option.name.substr(2)) + FishFlags(option);
  if (HasChoices(option)) line += FishChoices(option);
  line += " -d " + FishQuoted(Capitalised(ShortHelp(option))) + "\n";
  if (option.negatable) {
    line += "complete -c tintrix-fade -l " + NegatedName(option).substr(2) + " -d " +
            FishQuoted("Turn " + std::string(option.name) + " off") + "\n";
  }
  return line;
}

}  // namespace

std::string BashCompletion(std::span<const Option> options) {
  std::string script(kBashHead);
  for (const Option& option : options) {
    if (option.argument != Argument::kNone) script += BashCase(option);
  }
  return script.append(kBashTail)
      .append(AllNames(options, kBashTail.size() - kBashTail.rfind('\n') - 1, "      "))
      .append(kBashEnd);
}

std::string ZshCompletion(std::span<const Option> options) {
  std::string script =
      "#compdef tintrix-fade\n"
      "# zsh completion for tintrix-fade, made from its table of options\n\n";
  std::string arrays;
  std::string names;
  for (const Option& option : options) {
    if (option.values != Values::kChoice && option.values != Values::kSuggested) continue;
    arrays += ZshChoices(option);
    names += " " + ZshArray(option);
  }
  if (!names.empty()) script += "local -a" + names + "\n" + arrays + "\n";
  script += "_arguments -S \\\n";
  for (const Option& option : options) script += ZshWords(option);
  return script + "  '::text: '\n";
}

std::string FishCompletion(std::span<const Option> options) {
  std::string script =
      "# fish completion for tintrix-fade, made from its table of options\n\n"
      "complete -c tintrix-fade -f\n\n";
  for (const Option& option : options) script += FishLines(option);
  return script;
}

}  // namespace tintrix
