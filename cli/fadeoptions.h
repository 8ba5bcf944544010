#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/colorstage.h"
#include "cli/fademotion.h"
#include "engine/fadesettings.h"
#include "engine/markupformat.h"
#include "output/blocklayout.h"

// The companion's options, declared once in a table. The parser, --help, the shell completions
// (made at build time by tintrix-fade-completions) and the checks of the man page and the
// README all read the table, so that a new option is one entry there and what it sets.

namespace tintrix {

// What the command line asks for.
struct CommandLine {
  // Set by --help and --version: the run prints it instead of fading, and the arguments
  // after it are not read.
  enum class Answer { kNone, kHelp, kVersion };

  bool defaults = false;
  bool markupOnly = false;
  bool stats = false;
  MarkupOptions markup;
  std::optional<std::size_t> maxLength;
  std::optional<std::uint64_t> seed;
  std::optional<std::string> output;
  std::optional<std::string> fadeFile;
  std::optional<std::string> text;
  std::optional<BlockMode> block;
  // --phase, --frames, --animate or --moving: at most one of them.
  Motion motion;
  // --color K=VALUE@P, --background and --min-contrast: what the colour stage does.
  ColorStageOptions colorStage;
  // --read: documents to read fades back from, the FILE of --read=FILE if given.
  bool read = false;
  std::optional<std::string> readFile;
  std::optional<MarkupFormat> from;
  int maxError = 0;
  std::optional<std::string> saveFade;
  bool printText = false;
  // The options given that only --read takes, by their long names, for the message when it
  // is not given.
  std::vector<std::string_view> readOnly;
  // Changes to the starting fade, applied after it is loaded, in the order given.
  std::vector<std::function<void(FadeSettings&)>> edits;
  Answer answer = Answer::kNone;
};

// A usage error (exit status 2); the message names the option or the argument.
class UsageError {
 public:
  explicit UsageError(std::string message) : m_message(std::move(message)) {}
  const std::string& message() const { return m_message; }

 private:
  std::string m_message;
};

// How an option takes its argument.
enum class Argument {
  kNone,      // none: "--name=VALUE" is a usage error
  kRequired,  // "--name VALUE", "--name=VALUE" or, for the short name, "-n VALUE"
  kOptional,  // "--name=VALUE", or "--name" alone; the next argument is its value only when
              // it is one of a kChoice option's choices ("--block lines")
};

// What an argument may be, for the parser and the completions.
enum class Values {
  kAny,        // any text; the completions offer nothing
  kFile,       // a file name; the completions offer files
  kChoice,     // one of the choices; the parser refuses any other
  kSuggested,  // any text; the completions offer the choices
  kPrefix,     // any text; the completions offer the choices as its start, with no space after
  kNames,      // any text; the completions offer the choices, too many for --help to list
};

// The groups of the man page's OPTIONS section (GroupTitle).
enum class OptionGroup { kFade, kMarkup, kMotion, kReading, kInputOutput, kProgram };

// A value the completions offer, with what it means (may be empty).
struct Choice {
  std::string name;
  std::string description;
};

// One use of an option on the command line, as its setter gets it.
struct OptionUse {
  std::string_view option;           // the long name, as messages name the option
  std::optional<std::string> value;  // the argument, when one was given
  bool negated = false;              // given in its "--no-" form
};

// Applies one use; throws UsageError when the value is no value of the option.
using OptionSetter = void (*)(CommandLine& line, const OptionUse& use);

// One entry of the table.
struct Option {
  std::string_view name;            // the long name: "--output"
  std::string_view shortName = {};  // "-o", or empty
  bool negatable = false;           // "--no-NAME" too: the setter gets `negated`
  Argument argument = Argument::kNone;
  std::string_view metavar = {};  // what --help calls the argument: "FILE", "K=VALUE"
  Values values = Values::kAny;
  std::vector<Choice> (*choices)() = nullptr;  // for kChoice, kSuggested, kPrefix and kNames
  // For kPrefix: what the completions offer after one of the choices ("1=", then "red").
  std::vector<Choice> (*assigned)() = nullptr;
  bool repeatable = false;  // every use counts, not only the last (the completions offer it again)
  bool alone = false;       // the run does nothing else (--help): the completions offer no other
  // The description --help gives; "\n" breaks it into lines. The completions show it on one
  // line, up to its first colon or semicolon (ShortHelp).
  std::string_view help;
  // More lines that --help writes under the description, indented (--format's examples).
  std::string (*helpNote)() = nullptr;
  OptionGroup group = OptionGroup::kFade;
  OptionSetter set = nullptr;
};

// The companion's options, in the order --help lists them.
std::span<const Option> FadeToolOptions();

// The man page's heading of a group: "The fade", "The markup", "Motion", "Reading a fade
// back", "Input and output", "The program".
std::string_view GroupTitle(OptionGroup group);

// The "--no-" form of a negatable option: "--no-bold".
std::string NegatedName(const Option& option);

// The option's names with its argument, as the man page heads its entry: "-o FILE, --output
// FILE", "--wavy, --no-wavy", "--block[=MODE]".
std::string ManSynopsis(const Option& option);

// The option's names and argument as --help lists them: "-o, --output FILE".
std::string HelpSynopsis(const Option& option);

// The description that the completions show (see Option::help).
std::string ShortHelp(const Option& option);

// The values of a kChoice option for a message: "rgb, oklab, oklch or hsv".
std::string ChoiceNames(const Option& option);

// Reads the arguments after the program name with `options`, in order: "--" ends the options
// and every later argument is TEXT, as is one that does not start with "-" (or is "-" alone);
// at most one TEXT. The setters run in the order of their options, and reading stops once one
// sets `answer`. Throws UsageError, naming what was wrong, for an unknown option (shown as
// typed), a missing value, a value given to an option that takes none, a second TEXT, a value
// that is none of a kChoice option's choices, and whatever a setter refuses.
CommandLine ParseArguments(const std::vector<std::string>& args, std::span<const Option> options);

// The text of --help, from `options`: the usage line and what the program does, each option
// (HelpSynopsis, its description from column 25, its note), and the exit statuses.
std::string UsageText(std::span<const Option> options);

}  // namespace tintrix
