#include "cli/optionsetters.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cli/optionchoices.h"
#include "engine/blendspace.h"
#include "engine/color.h"
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

}  // namespace tintrix::options
