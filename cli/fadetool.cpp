#include "cli/fadetool.h"

#include <algorithm>
#include <istream>
#include <optional>
#include <ostream>

#include "cli/fadejob.h"
#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/markupformat.h"
#include "engine/text.h"
#include "store/fadefilecommands.h"

namespace tintrix {

namespace {

constexpr const char* kUsage =
    "Usage: tintrix-fade [OPTIONS] [--] [TEXT]\n"
    "Fades TEXT, or each line of standard input, into per-character colour markup.\n"
    "The fade starts from your current Tintrix fade; the options below change it.\n"
    "\n"
    "  --defaults            start from the default fade instead of your current one\n"
    "  --fade FILE           apply a fade file (.fad), as Open Fade does\n"
    "  --colors N            number of colours to fade through (2, 3, 4, 5 or 10)\n"
    "  --color K=VALUE       colour K (1-10): a colour value in decimal, or #RRGGBB\n"
    "  --wavy, --no-wavy     set each character randomly below, above or on the line\n"
    "  --bold, --no-bold     wrap the fade in <b> tags\n"
    "  --italic, --no-italic wrap the fade in <i> tags\n"
    "  --underline, --no-underline\n"
    "                        wrap the fade in <u> tags\n"
    "  --font NAME           font face (may be empty)\n"
    "  --markup-only         print only the colour markup, without font and style tags\n"
    "  --format NAME         the markup to write (default classic); for \"Hi\" from red to blue:\n"
    "                          classic      <Font Color=#800080>H<Font Color=#0000FF>i\n"
    "                          html         <span style=\"color:#800080\">H</span>...\n"
    "                          bbcode       [color=#800080]H[/color][color=#0000FF]i[/color]\n"
    "                          ansi         ESC[38;2;128;0;128mHESC[38;2;0;0;255miESC[0m\n"
    "                          minecraft    &#800080H&#0000FFi\n"
    "                          minimessage  <#800080>H<#0000ff>i\n"
    "  --blend NAME          how colours blend: rgb (default), oklab, oklch or hsv\n"
    "  --merge               start a colour tag only where the colour changes\n"
    "  --skip-blanks         give a blank after another character no tag of its own\n"
    "  --max-length N        make each document at most N characters, merging and\n"
    "                        reducing colours as far as needed; fail when none fits\n"
    "  --stats               print the length in characters and bytes and the number\n"
    "                        of colour tags on standard error\n"
    "  --seed N              seed the wave's random source, for a reproducible wave\n"
    "  -o, --output FILE     write FILE instead of standard output\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Exit status: 0 on success, 1 when no fade can be made, 2 on a usage error.\n";

struct Options {
  bool defaults = false;
  bool markupOnly = false;
  bool stats = false;
  MarkupOptions markup;
  std::optional<std::size_t> maxLength;
  std::optional<std::uint64_t> seed;
  std::optional<std::string> output;
  std::optional<std::string> fadeFile;
  std::optional<std::string> text;
  // Changes to the starting fade, applied after it is loaded.
  std::vector<std::function<void(FadeSettings&)>> edits;
};

class UsageError {
 public:
  explicit UsageError(std::string message) : m_message(std::move(message)) {}
  const std::string& message() const { return m_message; }

 private:
  std::string m_message;
};

// "#RRGGBB" to a colour value (red in the low byte); decimal text passes unchanged.
std::string ColorOptionValue(const std::string& value) {
  if (value.empty() || value.front() != '#') return value;
  const std::string_view hex = std::string_view(value).substr(1);
  const auto isHexDigit = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  };
  const std::optional<std::uint32_t> rgb =
      hex.size() == 6 && std::all_of(hex.begin(), hex.end(), isHexDigit)
          ? ParseWhole<std::uint32_t>(hex, 16)
          : std::nullopt;
  if (!rgb) throw UsageError("--color: \"" + value + "\" is not of the form #RRGGBB");
  const Channels channels{static_cast<int>(*rgb >> 16), static_cast<int>((*rgb >> 8) & 0xFF),
                          static_cast<int>(*rgb & 0xFF)};
  return std::to_string(PackColor(channels));
}

void SetColor(Options& options, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  const std::optional<int> slot =
      equals == std::string::npos ? std::nullopt
                                  : ParseWhole<int>(std::string_view(assignment).substr(0, equals));
  if (!slot || *slot < 1 || *slot > 10) {
    throw UsageError("--color takes K=VALUE with K from 1 to 10, not \"" + assignment + "\"");
  }
  const std::string value = ColorOptionValue(assignment.substr(equals + 1));
  options.edits.push_back([k = *slot, value](FadeSettings& fade) { fade.colors[k - 1] = value; });
}

void SetFlag(Options& options, int FadeSettings::*flag, int value) {
  options.edits.push_back([flag, value](FadeSettings& fade) { fade.*flag = value; });
}

// Returns nullopt when the run is over (help, version) and the options otherwise.
std::optional<Options> ParseArguments(const std::vector<std::string>& args, std::ostream& out) {
  Options options;
  const std::pair<const char*, int FadeSettings::*> flags[] = {
      {"wavy", &FadeSettings::wavy},
      {"bold", &FadeSettings::bold},
      {"italic", &FadeSettings::italic},
      {"underline", &FadeSettings::underlined}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos) {
      inlineValue = arg.substr(arg.find('=') + 1);
      arg.erase(arg.find('='));
    }
    bool consumedValue = false;
    const auto value = [&]() -> std::string {
      consumedValue = true;
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    const auto positional = [&](const std::string& text) {
      if (options.text) throw UsageError("only one TEXT may be given");
      options.text = text;
    };
    // "--=x" is no end of the options, and no option takes a value it does not ask for.
    if (arg == "--" && inlineValue) throw UsageError("unknown option " + QuoteName(args[i]));
    if ((arg == "--help" || arg == "--version") && inlineValue) {
      throw UsageError(arg + " takes no value");
    }
    if (arg == "--") {
      for (++i; i < args.size(); ++i) positional(args[i]);
      break;
    }
    if (arg == "--help") {
      out << kUsage;
      return std::nullopt;
    }
    if (arg == "--version") {
      out << "tintrix-fade " TINTRIX_VERSION "\n";
      return std::nullopt;
    }
    bool matched = true;
    if (arg == "--defaults") {
      options.defaults = true;
    } else if (arg == "--markup-only") {
      options.markupOnly = true;
    } else if (arg == "--merge") {
      options.markup.merge = true;
    } else if (arg == "--skip-blanks") {
      options.markup.skipBlanks = true;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "--format") {
      const std::string name = value();
      const std::optional<MarkupFormat> format = ParseMarkupFormat(name);
      if (!format) {
        throw UsageError(
            "--format takes classic, html, bbcode, ansi, minecraft or minimessage, "
            "not \"" +
            name + "\"");
      }
      options.markup.format = *format;
    } else if (arg == "--blend") {
      const std::string name = value();
      const std::optional<BlendSpace> blend = ParseBlendSpace(name);
      if (!blend) throw UsageError("--blend takes rgb, oklab, oklch or hsv, not \"" + name + "\"");
      options.markup.blend = *blend;
    } else if (arg == "--max-length") {
      const std::string length = value();
      options.maxLength = ParseWhole<std::size_t>(length);
      if (!options.maxLength) {
        throw UsageError("--max-length takes a whole number, not \"" + length + "\"");
      }
    } else if (arg == "--colors") {
      options.edits.push_back([n = value()](FadeSettings& fade) { fade.colorCount = n; });
    } else if (arg == "--color") {
      SetColor(options, value());
    } else if (arg == "--font") {
      options.edits.push_back([font = value()](FadeSettings& fade) { fade.font = font; });
    } else if (arg == "--seed") {
      const std::string seed = value();
      options.seed = ParseWhole<std::uint64_t>(seed);
      if (!options.seed) throw UsageError("--seed takes a whole number, not \"" + seed + "\"");
    } else if (arg == "--fade") {
      options.fadeFile = value();
    } else if (arg == "-o" || arg == "--output") {
      options.output = value();
    } else {
      matched = false;
      for (const auto& [name, flag] : flags) {
        if (arg == std::string("--") + name || arg == std::string("--no-") + name) {
          SetFlag(options, flag, arg[2] == 'n' ? 0 : 1);
          matched = true;
        }
      }
    }
    if (matched) {
      if (inlineValue && !consumedValue) throw UsageError(QuoteName(arg) + " takes no value");
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') throw UsageError("unknown option " + QuoteName(args[i]));
    positional(args[i]);
  }
  return options;
}

}  // namespace

int RunFadeTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err, const StoredFadeLoader& loadStoredFade, int outFd) {
  // One line on `err` for every failure; the exit status follows from its kind.
  const auto fail = [&](const Status& status) {
    err << "tintrix-fade: " << EscapeControlCharacters(status.message()) << "\n";
    if (status.code() == StatusCode::kUsage) {
      err << "Try 'tintrix-fade --help'.\n";
      return 2;
    }
    return 1;
  };

  std::optional<Options> options;
  try {
    options = ParseArguments(args, out);
  } catch (const UsageError& error) {
    return fail(Status::Usage(error.message()));
  }
  if (!options) return 0;

  FadeSettings fade = options->defaults || !loadStoredFade ? DefaultFade() : loadStoredFade();
  if (options->fadeFile) {
    if (Status status = ApplyFadeFile(fade, *options->fadeFile); !status.ok()) return fail(status);
  }
  for (const auto& edit : options->edits) edit(fade);

  FadeJob job;
  job.markupOnly = options->markupOnly;
  job.seed = options->seed;
  job.text = options->text;
  job.outputFile = options->output;
  job.markup = options->markup;
  job.maxLength = options->maxLength;
  FadeJobStats stats;
  if (Status status = RunFadeJob(fade, job, in, out, outFd, options->stats ? &stats : nullptr);
      !status.ok()) {
    return fail(status);
  }
  if (options->stats) {
    err << "tintrix-fade: " << stats.characters << " characters, " << stats.bytes << " bytes, "
        << stats.colorTags << " colour tags\n";
  }
  return 0;
}

}  // namespace tintrix
