#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cli/completions.h"
#include "cli/fadeoptions.h"
#include "cli/fadetool.h"

namespace tintrix {
namespace {

// A table with every kind of argument, optional ones among them, whose setter writes down each
// use in `fadeFile`.
void Note(CommandLine& line, const OptionUse& use) {
  line.fadeFile = line.fadeFile.value_or("") + "[" + std::string(use.option) +
                  (use.negated ? " off" : "") + (use.value ? "=" + *use.value : "") + "]";
}

std::vector<Choice> Modes() { return {{"fast", "the quick one"}, {"slow", ""}}; }

const Option kSample[] = {
    {.name = "--flag", .negatable = true, .help = "a flag", .set = Note},
    {.name = "--need",
     .shortName = "-n",
     .argument = Argument::kRequired,
     .metavar = "VALUE",
     .help = "takes a value",
     .set = Note},
    {.name = "--block",
     .argument = Argument::kOptional,
     .metavar = "MODE",
     .values = Values::kChoice,
     .choices = Modes,
     .help = "blocks, in a mode or not",
     .set = Note},
    {.name = "--read",
     .argument = Argument::kOptional,
     .metavar = "FILE",
     .values = Values::kFile,
     .help = "reads a file or not",
     .set = Note},
    {.name = "--stop",
     .alone = true,
     .help = "stops",
     .set = [](CommandLine& line, const OptionUse&) { line.answer = CommandLine::Answer::kHelp; }},
};

std::string ReadSource(const std::string& path) {
  std::ifstream file(std::string(TINTRIX_SOURCE_DIR) + "/" + path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(FadeOptions, ParsesWithATable) {
  const struct {
    std::vector<std::string> args;
    std::string notes;  // or the usage error
    std::optional<std::string> text = std::nullopt;
  } cases[] = {
      {{"--block", "x"}, "[--block]", "x"},
      {{"--block", "slow", "x"}, "[--block=slow]", "x"},
      {{"--read", "fast"}, "[--read]", "fast"},
      {{"--block=fast", "--read=a=b"}, "[--block=fast][--read=a=b]"},
      {{"--block=medium"}, "--block takes fast or slow, not \"medium\""},
      {{"--block="}, "--block takes fast or slow, not \"\""},
      {{"-n", "v", "--need=w", "--need", "--flag"}, "[--need=v][--need=w][--need=--flag]"},
      {{"-n=v"}, "unknown option -n=v"},
      {{"-n"}, "-n needs a value"},
      {{"--no-flag", "--flag"}, "[--flag off][--flag]"},
      {{"--no-flag="}, "--no-flag takes no value"},
      {{"--stop=1"}, "--stop takes no value"},
      {{"--no-need"}, "unknown option --no-need"},
      {{"--=x"}, "unknown option --=x"},
      {{"-", "--", "--flag"}, "only one TEXT may be given"},
      {{"--", "--flag"}, "", "--flag"},
      {{"--flag", "--stop", "--bogus", "two", "texts"}, "[--flag]"},
  };
  for (const auto& c : cases) {
    std::string notes;
    std::optional<std::string> text;
    try {
      const CommandLine line = ParseArguments(c.args, kSample);
      notes = line.fadeFile.value_or("");
      text = line.text;
    } catch (const UsageError& error) {
      notes = error.message();
    }
    EXPECT_EQ(notes, c.notes) << c.args[0];
    EXPECT_EQ(text, c.text) << c.args[0];
  }
}

TEST(FadeOptions, EveryOptionIsWellFormed) {
  std::set<std::string> names;
  for (const Option& option : FadeToolOptions()) {
    const std::string name(option.name);
    std::vector<std::string> all = {name};
    if (!option.shortName.empty()) all.emplace_back(option.shortName);
    if (option.negatable) all.push_back(NegatedName(option));
    for (const std::string& each : all) EXPECT_TRUE(names.insert(each).second) << each;
    EXPECT_TRUE(std::regex_match(name, std::regex("--[a-z][a-z-]*"))) << name;
    EXPECT_TRUE(option.shortName.empty() ||
                std::regex_match(std::string(option.shortName), std::regex("-[a-zA-Z]")))
        << name;
    EXPECT_EQ(option.metavar.empty(), option.argument == Argument::kNone) << name;
    const bool offersChoices = option.values == Values::kChoice ||
                               option.values == Values::kSuggested ||
                               option.values == Values::kPrefix || option.values == Values::kNames;
    EXPECT_EQ(option.choices != nullptr, offersChoices) << name;
    EXPECT_TRUE(option.choices == nullptr || !option.choices().empty()) << name;
    EXPECT_TRUE(option.assigned == nullptr || option.values == Values::kPrefix) << name;
    EXPECT_FALSE(option.help.empty()) << name;
    EXPECT_NE(option.set, nullptr) << name;
  }
}

// The choices are the engine's: each one makes a document, or reads one back.
TEST(FadeOptions, EveryChoiceIsTaken) {
  for (const Option& option : FadeToolOptions()) {
    if (option.values != Values::kChoice) continue;
    for (const Choice& choice : option.choices()) {
      std::istringstream in;
      std::ostringstream out, err;
      const std::string argument = std::string(option.name) + "=" + choice.name;
      int status = -1;
      if (option.group == OptionGroup::kReading) {
        // A reading option's choice reads a document of that format back.
        std::istringstream none;
        std::ostringstream document;
        RunFadeTool({"--defaults", "--format=" + choice.name, "x"}, none, document, err, {});
        in.str(document.str());
        EXPECT_NO_THROW(status = RunFadeTool({"--read", argument}, in, out, err, {})) << argument;
      } else {
        EXPECT_NO_THROW(status = RunFadeTool({"--defaults", argument, "x"}, in, out, err, {}))
            << argument;
      }
      EXPECT_EQ(status, 0) << argument << ": " << err.str();
    }
  }
}

bool HasWord(const std::string& text, const std::string& word) {
  return std::regex_search(text, std::regex("(^|[^a-z0-9])" + word + "([^a-z0-9]|$)"));
}

TEST(FadeOptions, HelpListsEveryOptionAndTheValuesItOffers) {
  const std::string help = UsageText(FadeToolOptions());
  for (const Option& option : FadeToolOptions()) {
    const std::string synopsis = "  " + HelpSynopsis(option);
    const std::size_t at = help.find("\n" + synopsis) + 1;
    ASSERT_NE(at, 0u) << option.name;
    const std::size_t end = help.find("\n  -", at);
    const std::string entry = help.substr(at, end == std::string::npos ? end : end - at + 1);
    // The description starts in column 25, on the synopsis' line or, after a long one, the next.
    const std::string first(option.help.substr(0, option.help.find('\n')));
    const std::string padding(synopsis.size() < 24 ? 24 - synopsis.size() : 0, ' ');
    const std::string start = padding.empty() ? synopsis + "\n" + std::string(24, ' ') + first
                                              : synopsis + padding + first;
    EXPECT_EQ(entry.substr(0, start.size()), start) << option.name;
    if (option.values != Values::kChoice && option.values != Values::kSuggested) continue;
    for (const Choice& choice : option.choices()) {
      EXPECT_TRUE(HasWord(entry, choice.name)) << option.name << " " << choice.name;
    }
  }
}

// An entry's heading in the man page as it reads: ".BI \-\-fade " FILE"" is "--fade FILE".
std::string ManHeading(const std::string& line) {
  const std::string macro = line.substr(1, line.find(' ') - 1);
  std::vector<std::string> words;
  bool quoted = false;
  for (std::size_t k = macro.size() + 1; k < line.size(); ++k) {
    if (line[k] == '"') {
      quoted = !quoted;
    } else if (line[k] == ' ' && !quoted) {
      words.emplace_back();
    } else {
      if (words.empty()) words.emplace_back();
      words.back() += line[k];
    }
  }
  std::string heading;
  for (const std::string& word : words) {
    if (word.empty()) continue;
    // .B and .I part their words with blanks; the macros that alternate fonts do not.
    heading += (macro.size() == 1 && !heading.empty() ? " " : "") + word;
  }
  heading = std::regex_replace(heading, std::regex(R"(\\f[BIRP])"), "");
  return std::regex_replace(heading, std::regex(R"(\\-)"), "-");
}

TEST(FadeOptions, TheManPageDocumentsEveryOptionInItsGroup) {
  std::istringstream page(ReadSource("docs/man/tintrix-fade.1"));
  std::map<std::string, std::string> documented;  // heading, group
  std::set<std::string> boldLines;
  std::string section, group, line;
  int nested = 0;
  bool heading = false;
  while (std::getline(page, line)) {
    if (line.rfind(".SH ", 0) == 0) section = line.substr(4);
    if (line.rfind(".SS ", 0) == 0) group = line.substr(4);
    if (line.rfind(".B ", 0) == 0) boldLines.insert(line.substr(3));
    if (line.rfind(".SS ", 0) == 0) boldLines.insert(line.substr(4));
    nested += (line == ".RS") - (line == ".RE");
    if (heading) documented.emplace(ManHeading(line), group);
    heading = section == "OPTIONS" && nested == 0 && (line == ".TP" || line == ".TQ");
  }
  for (const Option& option : FadeToolOptions()) {
    const auto entry = documented.find(ManSynopsis(option));
    if (entry == documented.end()) {
      ADD_FAILURE() << "tintrix-fade.1 has no entry \"" << ManSynopsis(option) << "\" for "
                    << option.name;
      continue;
    }
    EXPECT_EQ(entry->second, GroupTitle(option.group)) << option.name;
    documented.erase(entry);
    if (option.values != Values::kChoice) continue;
    for (const Choice& choice : option.choices()) {
      EXPECT_TRUE(boldLines.count(choice.name) > 0)
          << "tintrix-fade.1 does not describe " << option.name << " " << choice.name;
    }
  }
  for (const auto& [stale, where] : documented) {
    ADD_FAILURE() << "tintrix-fade.1 documents \"" << stale << "\", which is no option";
  }
}

TEST(FadeOptions, TheReadmeListsEveryOption) {
  const std::string readme = ReadSource("README.md");
  const std::size_t start = readme.find("| Option | Effect |");
  ASSERT_NE(start, std::string::npos);
  const std::string table = readme.substr(start, readme.find("\n\n", start) - start);
  for (const Option& option : FadeToolOptions()) {
    // Each name with its argument, in backquotes: `-o FILE`, `--output FILE`; "--no-" forms
    // may go without.
    const std::string synopsis = ManSynopsis(option);
    for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 2) {
      end = synopsis.find(", ", at);
      const std::string name = synopsis.substr(at, end - at);
      if (option.negatable && name == NegatedName(option)) continue;
      EXPECT_NE(table.find("`" + name + "`"), std::string::npos)
          << "README.md's option table lacks `" << name << "`";
    }
  }
}

// Real shells on the completions of kSample: an optional argument's values after "=" only.
TEST(FadeOptions, ShellsCompleteOptionalArguments) {
  QTemporaryDir dir;
  const struct {
    const char* shell;
    const char* file;
    std::string (*make)(std::span<const Option>);
  } shells[] = {{"bash", "tintrix-fade.bash", BashCompletion},
                {"zsh", "_tintrix-fade", ZshCompletion},
                {"fish", "tintrix-fade.fish", FishCompletion}};
  for (const auto& shell : shells) {
    const QString path = dir.filePath(shell.file);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::fromStdString(shell.make(std::span<const Option>(kSample))));
    file.close();
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(TINTRIX_SOURCE_DIR "/tests/install/check.sh",
                {"completion-file", shell.shell, path});
    check.write(
        "tintrix-fade --block=|fast slow\n"
        "tintrix-fade --block=s|slow\n"
        "tintrix-fade --block |\n"
        "tintrix-fade --need |\n"
        "tintrix-fade --no-|--no-flag\n");
    check.closeWriteChannel();
    ASSERT_TRUE(check.waitForFinished(60000)) << shell.shell;
    if (check.exitCode() == 77) continue;  // the shell is not installed
    EXPECT_EQ(check.exitCode(), 0) << shell.shell << ":\n" << check.readAll().toStdString();
  }
}

}  // namespace
}  // namespace tintrix
