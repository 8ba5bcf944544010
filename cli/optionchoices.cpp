#include "cli/optionchoices.h"

#include <algorithm>

#include "engine/color.h"
#include "engine/colorcount.h"
#include "engine/colornames.h"
#include "engine/markupformat.h"
#include "output/fadedocument.h"

namespace tintrix::options {

std::vector<Choice> FormatChoices() {
  std::vector<Choice> choices;
  choices.reserve(kFormats.size());
  for (const FormatTraits& format : kFormats) {
    choices.push_back({std::string(format.name), std::string(format.summary)});
  }
  return choices;
}

std::vector<Choice> BlendChoices() {
  return {{"rgb", "red, green and blue in a straight line"},
          {"oklab", "perceptual OKLab"},
          {"oklch", "perceptual lightness, chroma and hue"},
          {"hsv", "hue, saturation and value"}};
}

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

std::vector<Choice> ColorNameChoices() {
  std::vector<Choice> choices;
  for (const NamedColor& color : CssNamedColors()) choices.push_back({std::string(color.name), {}});
  return choices;
}

std::string FormatExamples() {
  constexpr std::size_t kLongest = 50;
  FadeSettings fade = DefaultFade();
  fade.colorCount = std::string(1, '2');
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

}  // namespace tintrix::options
