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
         option.values == Values::kPrefix || option.values == Values::kNames;
}

// The names of a list of choices, separated by spaces.
std::string Words(const std::vector<Choice>& choices) {
  std::string words;
  for (const Choice& choice : choices) words += (words.empty() ? "" : " ") + choice.name;
  return words;
}

// The choices' names, separated by spaces.
std::string ChoiceWords(const Option& option) { return Words(option.choices()); }

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

)sh";

// What follows kBashHead: the values of options that assign ("--color 1=re", case
// $assigned), then which option's value is being typed.
constexpr std::string_view kBashAssigned =
    R"sh(  # A value after "K=" of an option that assigns, "--color 1=re": bash splits the word at "="
  # as it splits "--color=1=re", so the "=" is the word before the value, or the value itself.
  local assigned="" value=$cur i=$COMP_CWORD
  if [[ $cur == = ]]; then value=""; else ((i--)); fi
  if ((i >= 2)) && [[ ${COMP_WORDS[i]} == = && ${COMP_WORDS[i - 1]} =~ ^[0-9]+$ ]]; then
    assigned=${COMP_WORDS[i - 2]}
    [[ $assigned == = ]] && ((i >= 3)) && assigned=${COMP_WORDS[i - 3]}
  fi
  case $assigned in
)sh";

constexpr std::string_view kBashOption = R"sh(  esac

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
    case Values::kNames:
      break;
  }
  return "values=" + ShellQuoted(ChoiceWords(option));
}

// The case of an option that assigns: its values after "K=".
std::string BashAssignedCase(const Option& option) {
  return "    " + std::string(option.name) + ") COMPREPLY=($(compgen -W " +
         ShellQuoted(Words(option.assigned())) + " -- \"$value\")); return 0 ;;\n";
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
      // After one of the choices ("1="), its values.
      if (option.assigned) {
        action = "{if compset -P \"*=\"; then compadd -- " + Words(option.assigned()) +
                 "; else compadd -S \"\" -- " + ChoiceWords(option) + "; fi}";
      }
      break;
    case Values::kChoice:
    case Values::kSuggested:
    case Values::kNames:
      action = "{_describe " + message + " " + ZshArray(option) + "}";
      break;
  }
  return (option.argument == Argument::kOptional ? "::" : ":") + message + ":" + action;
}

std::string ZshDescription(std::string_view text) {
  std::string description(1, '[');
  description += Escaped(text, "\\[]");
  description += ']';
  return description;
}

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

// The function that offers an assigning option's values: the choices, or after one of them
// ("1=") its values, with the choice before each as fish completes the whole word.
std::string FishAssignedFunction(const Option& option) {
  std::string name = "__tintrix_fade_" + std::string(option.name.substr(2));
  for (char& c : name) c = c == '-' ? '_' : c;
  return "function " + name + "\n" + "    set -l word (commandline -ct | string replace -r -- '^" +
         std::string(option.name) + "=' '')\n" +
         "    if set -l choice (string match -r -- '^[^=]*=' $word)\n" +
         "        printf '%s\\n' $choice(string split ' ' " + FishQuoted(Words(option.assigned())) +
         ")\n"
         "    else\n"
         "        printf '%s\\n' " +
         Words(option.choices()) +
         "\n"
         "    end\n"
         "end\n";
}

std::string FishLines(const Option& option) {
  std::string line = "complete -c tintrix-fade";
  if (!option.shortName.empty()) line += " -s " + std::string(option.shortName.substr(1));
  line += " -l " + std::string(option.name.substr(2)) + FishFlags(option);
  if (option.assigned) {
    std::string name = "__tintrix_fade_" + std::string(option.name.substr(2));
    for (char& c : name) c = c == '-' ? '_' : c;
    line = FishAssignedFunction(option) + line + " -a '(" + name + ")'";
  } else if (HasChoices(option)) {
    line += FishChoices(option);
  }
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
  script += kBashAssigned;
  for (const Option& option : options) {
    if (option.assigned) script += BashAssignedCase(option);
  }
  script += kBashOption;
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
    if (option.values != Values::kChoice && option.values != Values::kSuggested &&
        option.values != Values::kNames) {
      continue;
    }
    arrays += ZshChoices(option);
    names += ' ';
    names += ZshArray(option);
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
