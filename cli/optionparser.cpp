#include "cli/fadeoptions.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/text.h"

// ParseArguments: the command line read with the option table.

namespace tintrix {

namespace {

using Answer = CommandLine::Answer;

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

}  // namespace

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

}  // namespace tintrix
