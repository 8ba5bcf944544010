#include "cli/optionsetters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/optionchoices.h"
#include "engine/blendspace.h"
#include "engine/color.h"
#include "engine/colornames.h"
#include "engine/colorstops.h"
#include "engine/text.h"
#include "output/blocklayout.h"

namespace tintrix::options {

namespace {

template <typename T>
T WholeNumber(const OptionUse& use) {
  const std::optional<T> number = ParseWhole<T>(*use.value);
  if (!number) {
    throw UsageError(std::string(use.option) + " takes a whole number, not \"" + *use.value + "\"");
  }
  return *number;
}

// "#RRGGBB", "#RGB" or a colour's name to a colour value (red in the low byte); any other
// text passes unchanged, for the fade to take as a decimal colour value or refuse.
std::string ColorOptionValue(const OptionUse& use, const std::string& value) {
  std::optional<std::uint32_t> rgb;
  if (!value.empty() && value.front() == '#') {
    rgb = ParseHexColor(value);
    if (!rgb) {
      throw UsageError(std::string(use.option) + ": \"" + value +
                       "\" is not of the form #RRGGBB or #RGB");
    }
  } else {
    rgb = FindNamedColor(TrimBlanks(value));
  }
  if (!rgb) return value;
  const Channels channels{static_cast<int>(*rgb >> 16), static_cast<int>((*rgb >> 8) & 0xFF),
                          static_cast<int>(*rgb & 0xFF)};
  return std::to_string(PackColor(channels));
}

// A decimal number with at most three decimals, as thousandths: "-0.25" is -250, "3" 3000.
// A sign only where `signedValue`; no blanks, no exponent, a digit before any point.
std::optional<std::int64_t> ParseThousandths(std::string_view text, bool signedValue) {
  const bool negative = signedValue && text.starts_with('-');
  if (negative) text.remove_prefix(1);
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto isDigits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  // At most 7 whole digits: every range here ends far below that.
  if (whole.empty() || whole.size() > 7 || decimals.size() > 3 || !isDigits(whole) ||
      !isDigits(decimals) || (point != std::string_view::npos && decimals.empty())) {
    return std::nullopt;
  }
  const std::optional<std::int64_t> units = ParseWhole<std::int64_t>(whole);
  if (!units) return std::nullopt;
  std::int64_t thousandths = *units * 1000;
  std::int64_t scale = 100;
  for (char c : decimals) {
    thousandths += (c - '0') * scale;
    scale /= 10;
  }
  return negative ? -thousandths : thousandths;
}

// The thousandths of `use`'s value from `least` to `most`; a UsageError naming the option and
// `range` otherwise.
std::int64_t Thousandths(const OptionUse& use, bool signedValue, std::int64_t least,
                         std::int64_t most, std::string_view range) {
  const std::optional<std::int64_t> value = ParseThousandths(*use.value, signedValue);
  if (!value || *value < least || *value > most) {
    throw UsageError(std::string(use.option) + " takes " + std::string(range) +
                     " with at most three decimals, not \"" + *use.value + "\"");
  }
  return *value;
}

// Makes `use` the line's motion; a UsageError when another motion option was given.
void SetMotion(CommandLine& line, const OptionUse& use, Motion::Kind kind) {
  if (line.motion.kind != Motion::Kind::kNone && line.motion.option != use.option) {
    throw UsageError(std::string(use.option) + " cannot be used with " +
                     std::string(line.motion.option));
  }
  line.motion.kind = kind;
  line.motion.option = use.option;
}

}  // namespace

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
  // The value, and after its last "@" the position; neither a value nor a name holds one.
  std::string value = assignment.substr(equals + 1);
  std::optional<int> position;
  if (const std::size_t at = value.rfind('@'); at != std::string::npos) {
    position = ParseStopPosition(std::string_view(value).substr(at + 1));
    if (!position) {
      throw UsageError(std::string(use.option) + ": \"" + value.substr(at + 1) +
                       "\" is not a position from 0 to 100 with at most one decimal");
    }
    value.resize(at);
  }
  line.colorStage.positions[*slot - 1] = position;
  line.edits.push_back([k = *slot, color = ColorOptionValue(use, value)](FadeSettings& fade) {
    fade.colors[k - 1] = color;
  });
}

void SetBackground(CommandLine& line, const OptionUse& use) {
  const std::string value = ColorOptionValue(use, *use.value);
  const std::optional<ColorValue> color = ParseColorValue(value);
  if (!color) {
    throw UsageError(std::string(use.option) + " takes a colour value, #RRGGBB, #RGB or a " +
                     "colour's name, not \"" + *use.value + "\"");
  }
  line.colorStage.background = ColorChannels(*color);
}

void SetMinContrast(CommandLine& line, const OptionUse& use) {
  line.colorStage.minContrast =
      static_cast<int>(Thousandths(use, false, 1000, 21000, "a contrast ratio from 1 to 21"));
}

void SetPhase(CommandLine& line, const OptionUse& use) {
  SetMotion(line, use, Motion::Kind::kPhase);
  line.motion.phase = static_cast<int>(
      Thousandths(use, true, -999, 999, "a number greater than -1 and less than 1"));
}

void SetFrames(CommandLine& line, const OptionUse& use) {
  SetMotion(line, use, Motion::Kind::kFrames);
  const std::optional<std::size_t> frames = ParseWhole<std::size_t>(*use.value);
  if (!frames || *frames < 1 || *frames > kMaxFrames) {
    throw UsageError(std::string(use.option) + " takes a whole number from 1 to " +
                     std::to_string(kMaxFrames) + ", not \"" + *use.value + "\"");
  }
  line.motion.frames = *frames;
}

void SetAnimate(CommandLine& line, const OptionUse& use) {
  SetMotion(line, use, Motion::Kind::kAnimate);
  line.motion.milliseconds = use.value ? Thousandths(use, false, 1, kMaxAnimateMilliseconds,
                                                     "seconds, more than 0 and at most 600,")
                                       : kDefaultAnimateMilliseconds;
}

void SetMoving(CommandLine& line, const OptionUse& use) {
  SetMotion(line, use, Motion::Kind::kMoving);
  line.motion.milliseconds = Thousandths(use, false, kMinMovingMilliseconds, kMaxMovingMilliseconds,
                                         "seconds from 0.1 to 3600");
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

}  // namespace tintrix::options
