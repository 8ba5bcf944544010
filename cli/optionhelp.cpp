#include "cli/fadeoptions.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The option table in words: --help, and the names and descriptions the man page and the
// completions give each option.

namespace tintrix {

namespace {

constexpr std::string_view kUsageHead =
    "Usage: tintrix-fade [OPTIONS] [--] [TEXT]\n"
    "  or:  tintrix-fade --read [OPTIONS] [FILE]\n"
    "Fades TEXT, or each line of standard input, into per-character colour markup;\n"
    "with --read, reads fades back from such markup.\n"
    "The fade starts from your current Tintrix fade; the options below change it.\n"
    "\n";
constexpr std::string_view kUsageFoot =
    "\n"
    "Exit status: 0 on success, 1 when no fade can be made, 2 on a usage error,\n"
    "130 when Ctrl+C stops --animate.\n";
// Where --help starts the descriptions, and how far it indents a note under one.
constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kNoteColumn = 26;

// `text` with every line after the first indented by `column`, and a line feed at its end.
std::string Indented(std::string_view text, std::size_t column) {
  std::string out;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos;
       start = end + 1, end = text.find('\n', start)) {
    out.append(text.substr(start, end - start)).append("\n").append(column, ' ');
  }
  return out.append(text.substr(start)).append("\n");
}

std::string HelpEntry(const Option& option) {
  std::string entry = "  " + HelpSynopsis(option);
  if (entry.size() < kHelpColumn) {
    entry.append(kHelpColumn - entry.size(), ' ');
  } else {
    entry.append("\n").append(kHelpColumn, ' ');
  }
  entry += Indented(option.help, kHelpColumn);
  // The note's lines each end in a line feed.
  if (const std::string note = option.helpNote ? option.helpNote() : ""; !note.empty()) {
    entry.append(kNoteColumn, ' ').append(Indented(note.substr(0, note.size() - 1), kNoteColumn));
  }
  return entry;
}

std::string ArgumentText(const Option& option) {
  switch (option.argument) {
    case Argument::kRequired:
      return std::string(1, ' ').append(option.metavar);
    case Argument::kOptional:
      return "[=" + std::string(option.metavar) + "]";
    case Argument::kNone:
      break;
  }
  return "";
}

}  // namespace

std::string_view GroupTitle(OptionGroup group) {
  using enum OptionGroup;
  switch (group) {
    case kFade:
      return "The fade";
    case kMarkup:
      return "The markup";
    case kMotion:
      return "Motion";
    case kReading:
      return "Reading a fade back";
    case kInputOutput:
      return "Input and output";
    case kProgram:
      return "The program";
  }
  return "";
}

std::string NegatedName(const Option& option) {
  return "--no-" + std::string(option.name.substr(2));
}

std::string ManSynopsis(const Option& option) {
  std::string synopsis;
  if (!option.shortName.empty()) {
    // A short name takes its argument as the next word, never after "=".
    synopsis = std::string(option.shortName) +
               (option.argument == Argument::kRequired ? ArgumentText(option) : "") + ", ";
  }
  synopsis += std::string(option.name) + ArgumentText(option);
  if (option.negatable) synopsis += ", " + NegatedName(option);
  return synopsis;
}

std::string HelpSynopsis(const Option& option) {
  std::string synopsis;
  if (!option.shortName.empty()) synopsis = std::string(option.shortName) + ", ";
  synopsis += option.name;
  if (option.negatable) synopsis += ", " + NegatedName(option);
  return synopsis + ArgumentText(option);
}

std::string ShortHelp(const Option& option) {
  std::string help(option.help.substr(0, option.help.find_first_of(":;")));
  std::replace(help.begin(), help.end(), '\n', ' ');
  return help;
}

std::string ChoiceNames(const Option& option) {
  const std::vector<Choice> choices = option.choices();
  std::string names;
  for (std::size_t k = 0; k < choices.size(); ++k) {
    if (k > 0) names += k + 1 == choices.size() ? " or " : ", ";
    names += choices[k].name;
  }
  return names;
}

std::string UsageText(std::span<const Option> options) {
  std::string text(kUsageHead);
  for (const Option& option : options) text += HelpEntry(option);
  return text.append(kUsageFoot);
}

}  // namespace tintrix
