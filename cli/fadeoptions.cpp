#include "cli/fadeoptions.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/colorcount.h"
#include "engine/text.h"
#include "output/fadedocument.h"

namespace tintrix {

namespace {

using Answer = CommandLine::Answer;

constexpr std::string_view kUsageHead =
    "Usage: tintrix-fade [OPTIONS] [--] [TEXT]\n"
    "  or:  tintrix-fade --read [OPTIONS] [FILE]\n"
    "Fades TEXT, or each line of standard input, into per-character colour markup;\n"
    "with --read, reads fades back from such markup.\n"
    "The fade starts from your current Tintrix fade; the options below change it.\n"
    "\n";
constexpr std::string_view kUsageFoot =
    "\n"
    "Exit status: 0 on success, 1 when no fade can be made, 2 on a usage error.\n";
// Where --help starts the descriptions, and how far it indents a note under one.
constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kNoteColumn = 26;

constexpr std::size_t kColorSlots = std::tuple_size_v<decltype(FadeSettings::colors)>;

// ---- The values the completions offer.

std::vector<Choice> FormatChoices() {
  std::vector<Choice> choices;
  choices.reserve(kFormats.size());
  for (const FormatTraits& format : kFormats) {
    choices.push_back({std::string(format.name), std::string(format.summary)});
  }
  return choices;
}

// The names ParseBlendSpace takes.
std::vector<Choice> BlendChoices() {
  return {{"rgb", "red, green and blue in a straight line"},
          {"oklab", "perceptual OKLab"},
          {"oklch", "perceptual lightness, chroma and hue"},
          {"hsv", "hue, saturation and value"}};
}

// The modes of --block, in BlockMode's order.
std::vector<Choice> BlockChoices() {
  return {{"columns", "each display column its colour (the default)"},
          {"lines", "each line its colour"},
          {"diagonal", "column and line together"}};
}

std::vector<Choice> ColorCountChoices() {
  std::vector<Choice> choices;
  choices.reserve(kFadeColorCounts.size());
  for (const int count : kFadeColorCounts) choices.push_back({std::to_string(count), {}});
  return choices;
}

std::vector<Choice> ColorSlotChoices() {
  std::vector<Choice> choices;
  for (std::size_t k = 1; k <= kColorSlots; ++k) choices.push_back({std::to_string(k) + "=", {}});
  return choices;
}

// Each format's document for "Hi" faded from red to blue, markup only, one a line after its
// name; ESC stands for the escape character, and a document too long for its line is cut
// where its second colour tag starts.
std::string FormatExamples() {
  constexpr std::size_t kLongest = 50;
  FadeSettings fade = DefaultFade();
  fade.colorCount = "2";
  fade.colors[0] = std::to_string(PackColor({255, 0, 0}));
  fade.colors[1] = std::to_string(PackColor({0, 0, 255}));
  std::size_t width = 0;
  for (const FormatTraits& format : kFormats) width = std::max(width, format.name.size() + 2);
  std::string note;
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    const FormatTraits& format = kFormats[k];
    MarkupOptions options;
    options.format = static_cast<MarkupFormat>(k);
    std::string example;
    if (const StatusOr<FadeDocument> document = FadeDocument::Create(fade, true, options);
        document.ok()) {
      static_cast<void>(document->Append("Hi", {}, example));
    }
    if (const std::size_t second = example.find(format.colorPrefix, format.colorPrefix.size());
        example.size() > kLongest && second != std::string::npos) {
      example = example.substr(0, second) + "...";
    }
    for (std::size_t at = example.find('\x1b'); at != std::string::npos; at = example.find('\x1b'))
      example.replace(at, 1, "ESC");
    note +=
        std::string(format.name) + std::string(width - format.name.size(), ' ') + example + "\n";
  }
  return note;
}

// The formats' names for --from, a few a line.
std::string FormatNamesNote() {
  constexpr std::size_t kWidth = 50;
  std::string note, line;
  for (std::size_t k = 0; k < kFormats.size(); ++k) {
    std::string word(kFormats[k].name);
    word += k + 2 == kFormats.size() ? " or" : k + 1 == kFormats.size() ? "" : ",";
    if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
      note += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return note + line + "\n";
}

// ---- What the options set.

template <bool CommandLine::*kFlag>
void SetTrue(CommandLine& line, const OptionUse&) {
  line.*kFlag = true;
}

template <bool MarkupOptions::*kFlag>
void SetMarkupFlag(CommandLine& line, const OptionUse&) {
  line.markup.*kFlag = true;
}

template <std::optional<std::string> CommandLine::*kText>
void SetText(CommandLine& line, const OptionUse& use) {
  line.*kText = *use.value;
}

// A text of the fade (the colour count, the font), as given.
template <std::string FadeSettings::*kText>
void SetFadeText(CommandLine& line, const OptionUse& use) {
  line.edits.push_back([value = *use.value](FadeSettings& fade) { fade.*kText = value; });
}

// A style flag: on, or off in its --no- form.
template <int FadeSettings::*kStyle>
void SetStyle(CommandLine& line, const OptionUse& use) {
  line.edits.push_back([on = use.negated ? 0 : 1](FadeSettings& fade) { fade.*kStyle = on; });
}

template <typename T>
T WholeNumber(const OptionUse& use) {
  const std::optional<T> number = ParseWhole<T>(*use.value);
  if (!number) {
    throw UsageError(std::string(use.option) + " takes a whole number, not \"" + *use.value + "\"");
  }
  return *number;
}

void SetSeed(CommandLine& line, const OptionUse& use) {
  line.seed = WholeNumber<std::uint64_t>(use);
}

void SetMaxLength(CommandLine& line, const OptionUse& use) {
  line.maxLength = WholeNumber<std::size_t>(use);
}

void SetFormat(CommandLine& line, const OptionUse& use) {
  line.markup.format = ParseMarkupFormat(*use.value).value();
}

void SetBlock(CommandLine& line, const OptionUse& use) {
  const std::vector<Choice> modes = BlockChoices();
  line.block = BlockMode::kColumns;
  for (std::size_t k = 0; k < modes.size(); ++k) {
    if (use.value == modes[k].name) line.block = static_cast<BlockMode>(k);
  }
}

void SetBlend(CommandLine& line, const OptionUse& use) {
  line.markup.blend = ParseBlendSpace(*use.value).value();
}

// "#RRGGBB" to a colour value (red in the low byte); decimal text passes unchanged.
std::string ColorOptionValue(const OptionUse& use, const std::string& value) {
  if (value.empty() || value.front() != '#') return value;
  const std::string_view hex = std::string_view(value).substr(1);
  const auto isHexDigit = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  const std::optional<std::uint32_t> rgb =
      hex.size() == 6 && std::all_of(hex.begin(), hex.end(), isHexDigit)
          ? ParseWhole<std::uint32_t>(hex, 16)
          : std::nullopt;
  if (!rgb) {
    throw UsageError(std::string(use.option) + ": \"" + value + "\" is not of the form #RRGGBB");
  }
  const Channels channels{static_cast<int>(*rgb >> 16), static_cast<int>((*rgb >> 8) & 0xFF),
                          static_cast<int>(*rgb & 0xFF)};
  return std::to_string(PackColor(channels));
}

void SetColor(CommandLine& line, const OptionUse& use) {
  const std::string& assignment = *use.value;
  const std::size_t equals = assignment.find('=');
  const std::optional<std::size_t> slot =
      equals == std::string::npos
          ? std::nullopt
          : ParseWhole<std::size_t>(std::string_view(assignment).substr(0, equals));
  if (!slot || *slot < 1 || *slot > kColorSlots) {
    throw UsageError(std::string(use.option) + " takes K=VALUE with K from 1 to " +
                     std::to_string(kColorSlots) + ", not \"" + assignment + "\"");
  }
  line.edits.push_back([k = *slot, value = ColorOptionValue(use, assignment.substr(equals + 1))](
                           FadeSettings& fade) { fade.colors[k - 1] = value; });
}

void SetRead(CommandLine& line, const OptionUse& use) {
  line.read = true;
  if (use.value) line.readFile = *use.value;
}

void SetFrom(CommandLine& line, const OptionUse& use) {
  line.from = ParseMarkupFormat(*use.value).value();
  line.readOnly.push_back(use.option);
}

void SetMaxError(CommandLine& line, const OptionUse& use) {
  const std::optional<int> error = ParseWhole<int>(*use.value);
  if (!error || *error < 0 || *error > 255) {
    throw UsageError(std::string(use.option) + " takes a whole number from 0 to 255, not \"" +
                     *use.value + "\"");
  }
  line.maxError = *error;
  line.readOnly.push_back(use.option);
}

void SetSaveFade(CommandLine& line, const OptionUse& use) {
  line.saveFade = *use.value;
  line.readOnly.push_back(use.option);
}

void SetPrintText(CommandLine& line, const OptionUse& use) {
  line.printText = true;
  line.readOnly.push_back(use.option);
}

template <Answer kAnswer>
void SetAnswer(CommandLine& line, const OptionUse&) {
  line.answer = kAnswer;
}

// ---- The table.

using enum OptionGroup;

const Option kOptions[] = {
    {.name = "--defaults",
     .help = "start from the default fade instead of your current one",
     .group = kFade,
     .set = SetTrue<&CommandLine::defaults>},
    {.name = "--fade",
     .argument = Argument::kRequired,
     .metavar = "FILE",
     .values = Values::kFile,
     .help = "apply a fade file (.fad), as Open Fade does",
     .group = kFade,
     .set = SetText<&CommandLine::fadeFile>},
    {.name = "--colors",
     .argument = Argument::kRequired,
     .metavar = "N",
     .values = Values::kSuggested,
     .choices = ColorCountChoices,
     .help = "number of colours to fade through, 2 to 32 (the window\n"
             "offers 2, 3, 4, 5 and 10)",
     .group = kFade,
     .set = SetFadeText<&FadeSettings::colorCount>},
    {.name = "--color",
     .argument = Argument::kRequired,
     .metavar = "K=VALUE",
     .values = Values::kPrefix,
     .choices = ColorSlotChoices,
     .repeatable = true,
     .help = "colour K (1-32): a colour value in decimal, or #RRGGBB;\n"
             "a fade file sets colours 1 to 10",
     .group = kFade,
     .set = SetColor},
    {.name = "--wavy",
     .negatable = true,
     .help = "set each character randomly below, above or on the line",
     .group = kFade,
     .set = SetStyle<&FadeSettings::wavy>},
    {.name = "--bold",
     .negatable = true,
     .help = "wrap the fade in <b> tags",
     .group = kFade,
     .set = SetStyle<&FadeSettings::bold>},
    {.name = "--italic",
     .negatable = true,
     .help = "wrap the fade in <i> tags",
     .group = kFade,
     .set = SetStyle<&FadeSettings::italic>},
    {.name = "--underline",
     .negatable = true,
     .help = "wrap the fade in <u> tags",
     .group = kFade,
     .set = SetStyle<&FadeSettings::underlined>},
    {.name = "--font",
     .argument = Argument::kRequired,
     .metavar = "NAME",
     .help = "font face (may be empty)",
     .group = kFade,
     .set = SetFadeText<&FadeSettings::font>},
    {.name = "--markup-only",
     .help = "print only the colour markup, without font and style tags",
     .group = kMarkup,
     .set = SetTrue<&CommandLine::markupOnly>},
    {.name = "--format",
     .argument = Argument::kRequired,
     .metavar = "NAME",
     .values = Values::kChoice,
     .choices = FormatChoices,
     .help = "the markup to write (default classic); for \"Hi\" from red to blue:",
     .helpNote = FormatExamples,
     .group = kMarkup,
     .set = SetFormat},
    {.name = "--blend",
     .argument = Argument::kRequired,
     .metavar = "NAME",
     .values = Values::kChoice,
     .choices = BlendChoices,
     .help = "how colours blend: rgb (default), oklab, oklch or hsv",
     .group = kFade,
     .set = SetBlend},
    {.name = "--block",
     .argument = Argument::kOptional,
     .metavar = "MODE",
     .values = Values::kChoice,
     .choices = BlockChoices,
     .help = "fade all the lines as one block: by columns (the default),\n"
             "lines or diagonal; reads the whole input (at most 64 MiB)",
     .group = kMarkup,
     .set = SetBlock},
    {.name = "--merge",
     .help = "start a colour tag only where the colour changes",
     .group = kMarkup,
     .set = SetMarkupFlag<&MarkupOptions::merge>},
    {.name = "--skip-blanks",
     .help = "give a blank after another character no tag of its own",
     .group = kMarkup,
     .set = SetMarkupFlag<&MarkupOptions::skipBlanks>},
    {.name = "--max-length",
     .argument = Argument::kRequired,
     .metavar = "N",
     .help = "make each document at most N characters, merging and\n"
             "reducing colours as far as needed; fail when none fits",
     .group = kMarkup,
     .set = SetMaxLength},
    {.name = "--stats",
     .help = "print the length in characters and bytes and the number\n"
             "of colour tags on standard error",
     .group = kMarkup,
     .set = SetTrue<&CommandLine::stats>},
    {.name = "--seed",
     .argument = Argument::kRequired,
     .metavar = "N",
     .help = "seed the wave's random source, for a reproducible wave",
     .group = kFade,
     .set = SetSeed},
    {.name = "--read",
     .argument = Argument::kOptional,
     .metavar = "FILE",
     .values = Values::kFile,
     .help = "read fades back: for each document, one a line of FILE (or\n"
             "TEXT, or standard input), print the options that make it",
     .group = kReading,
     .set = SetRead},
    {.name = "--from",
     .argument = Argument::kRequired,
     .metavar = "NAME",
     .values = Values::kChoice,
     .choices = FormatChoices,
     .help = "with --read, read every document in that format:",
     .helpNote = FormatNamesNote,
     .group = kReading,
     .set = SetFrom},
    {.name = "--max-error",
     .argument = Argument::kRequired,
     .metavar = "E",
     .help = "with --read, let fewer colours win when no channel errs\n"
             "by more than E (0 to 255, default 0)",
     .group = kReading,
     .set = SetMaxError},
    {.name = "--save-fade",
     .argument = Argument::kRequired,
     .metavar = "FILE",
     .values = Values::kFile,
     .help = "with --read, also save the one document's fade as a fade\n"
             "file, with 2, 3, 4, 5 or 10 colours",
     .group = kReading,
     .set = SetSaveFade},
    {.name = "--text",
     .help = "with --read, print each document's text instead",
     .group = kReading,
     .set = SetPrintText},
    {.name = "--output",
     .shortName = "-o",
     .argument = Argument::kRequired,
     .metavar = "FILE",
     .values = Values::kFile,
     .help = "write FILE instead of standard output",
     .group = kInputOutput,
     .set = SetText<&CommandLine::output>},
    {.name = "--help",
     .alone = true,
     .help = "show this help and exit",
     .group = kProgram,
     .set = SetAnswer<Answer::kHelp>},
    {.name = "--version",
     .alone = true,
     .help = "show the version and exit",
     .group = kProgram,
     .set = SetAnswer<Answer::kVersion>},
};

// ---- The parser.

struct Found {
  const Option* option = nullptr;
  bool negated = false;
};

Found Find(std::span<const Option> options, std::string_view name) {
  for (const Option& option : options) {
    if (name == option.name || (!option.shortName.empty() && name == option.shortName)) {
      return {&option, false};
    }
    if (option.negatable && name == NegatedName(option)) return {&option, true};
  }
  return {};
}

void AddText(CommandLine& line, const std::string& text) {
  if (line.text) throw UsageError("only one TEXT may be given");
  line.text = text;
}

bool IsChoice(const Option& option, const std::string& value) {
  const std::vector<Choice> choices = option.choices();
  return std::any_of(choices.begin(), choices.end(),
                     [&](const Choice& choice) { return choice.name == value; });
}

// Gives `use` the option's argument, `typed` being its name as given: the value after "=",
// or for a required one the next argument, at `next`, which it then moves past.
void TakeValue(const Option& option, const std::string& typed, const std::vector<std::string>& args,
               std::size_t& next, OptionUse& use) {
  if (option.argument == Argument::kNone && use.value) {
    throw UsageError(QuoteName(typed) + " takes no value");
  }
  if (option.argument == Argument::kRequired && !use.value) {
    if (next >= args.size()) throw UsageError(typed + " needs a value");
    use.value = args[next++];
  }
  if (option.argument == Argument::kOptional && !use.value && option.values == Values::kChoice &&
      next < args.size() && IsChoice(option, args[next])) {
    use.value = args[next++];
  }
  if (option.values == Values::kChoice && use.value && !IsChoice(option, *use.value)) {
    throw UsageError(std::string(option.name) + " takes " + ChoiceNames(option) + ", not \"" +
                     *use.value + "\"");
  }
}

// Reads the argument at `next` (not "--") and those it takes, and moves `next` past them.
void ReadArgument(const std::vector<std::string>& args, std::span<const Option> options,
                  std::size_t& next, CommandLine& line) {
  const std::string& arg = args[next++];
  // Only a long option carries its value after "=".
  const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
  const std::string typed = arg.substr(0, equals);
  const Found found = Find(options, typed);
  if (!found.option) {
    if (arg.size() > 1 && arg[0] == '-') throw UsageError("unknown option " + QuoteName(arg));
    AddText(line, arg);
    return;
  }
  OptionUse use{found.option->name, std::nullopt, found.negated};
  if (equals != std::string::npos) use.value = arg.substr(equals + 1);
  TakeValue(*found.option, typed, args, next, use);
  found.option->set(line, use);
}

// ---- --help.

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
      return " " + std::string(option.metavar);
    case Argument::kOptional:
      return "[=" + std::string(option.metavar) + "]";
    case Argument::kNone:
      break;
  }
  return "";
}

}  // namespace

std::span<const Option> FadeToolOptions() { return kOptions; }

std::string_view GroupTitle(OptionGroup group) {
  switch (group) {
    case kFade:
      return "The fade";
    case kMarkup:
      return "The markup";
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

CommandLine ParseArguments(const std::vector<std::string>& args, std::span<const Option> options) {
  CommandLine line;
  std::size_t next = 0;
  while (next < args.size() && line.answer == Answer::kNone) {
    if (args[next] == "--") {
      for (++next; next < args.size(); ++next) AddText(line, args[next]);
      break;
    }
    ReadArgument(args, options, next, line);
  }
  return line;
}

std::string UsageText(std::span<const Option> options) {
  std::string text(kUsageHead);
  for (const Option& option : options) text += HelpEntry(option);
  return text.append(kUsageFoot);
}

}  // namespace tintrix
