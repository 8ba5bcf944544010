#include "output/documentstamps.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/markupformat.h"
#include "engine/randomsource.h"
#include "output/fadedocument.h"

namespace tintrix {
namespace {

struct Case {
  const char* name;
  int colors;
  bool wavy;
  bool styles;  // bold and underline, in a whole document
  MarkupOptions options;
};

MarkupOptions With(bool merge, bool skipBlanks, int levels, BlendSpace blend) {
  MarkupOptions options;
  options.merge = merge;
  options.skipBlanks = skipBlanks;
  options.levels = levels;
  options.blend = blend;
  return options;
}

const Case kCases[] = {
    {"Plain", 5, false, false, With(false, false, 256, BlendSpace::kRgb)},
    {"TwoColoursStyled", 2, false, true, With(false, false, 256, BlendSpace::kRgb)},
    {"Merged", 3, false, false, With(true, false, 4, BlendSpace::kOkLab)},
    {"SkipBlanks", 10, false, true, With(false, true, 256, BlendSpace::kRgb)},
    {"MergedSkipBlanks", 5, false, false, With(true, true, 256, BlendSpace::kRgb)},
    {"Wavy", 5, true, false, With(false, false, 256, BlendSpace::kRgb)},
};

// Texts of a few lengths, each length several times over: printable ASCII of every kind, and
// now and then a byte past it or a control.
std::vector<std::string> Texts() {
  std::mt19937 random(29);
  std::vector<std::string> texts;
  for (std::size_t n : {0, 1, 2, 3, 17, 95, 256, 257}) {
    for (int k = 0; k < 6; ++k) {
      std::string text;
      for (std::size_t i = 0; i < n; ++i) {
        const auto pick = random() % 100;
        text += pick < 2 ? (pick == 0 ? '\t' : '\xC3') : static_cast<char>(0x20 + random() % 95);
      }
      if (k % 3 == 0) text = std::string(n, 'a' + static_cast<char>(k));
      texts.push_back(text);
    }
  }
  return texts;
}

TEST(DocumentStamps, SameDocumentsAndTagsAsMakingEach) {
  const std::vector<std::string> texts = Texts();
  for (const Case& c : kCases) {
    for (const FormatTraits& format : kFormats) {
      SCOPED_TRACE(std::string(c.name) + " " + std::string(format.name));
      FadeSettings fade = DefaultFade();
      fade.colorCount = std::to_string(c.colors);
      fade.wavy = c.wavy ? 1 : 0;
      fade.bold = fade.underlined = c.styles ? 1 : 0;
      fade.italic = 0;
      MarkupOptions options = c.options;
      options.format = *ParseMarkupFormat(format.name);
      const StatusOr<FadeDocument> document = FadeDocument::Create(fade, !c.styles, options);
      ASSERT_TRUE(document.ok());
      DocumentStamps stamps(*document);
      for (const std::string& text : texts) {
        std::size_t tags[2] = {0, 0};
        ClockSeededRandom wave(7);
        FadeHooks hooks;
        hooks.wave = &wave;
        hooks.colorTags = &tags[0];
        std::string expected = "<";
        ASSERT_TRUE(document->Append(text, hooks, expected).ok());
        wave = ClockSeededRandom(7);
        hooks.colorTags = &tags[1];
        std::string stamped = "<";
        ASSERT_TRUE(stamps.Append(text, hooks, stamped).ok());
        ASSERT_EQ(stamped, expected) << text;
        ASSERT_EQ(tags[1], tags[0]);
      }
      // Lengths 0 and 1 and many others hold texts that every format writes as they are.
      if (!c.wavy || !WritesWave(options.format)) {
        EXPECT_GE(stamps.stamped(), 10U);
      } else {
        EXPECT_EQ(stamps.stamped(), 0U);
      }
    }
  }
}

}  // namespace
}  // namespace tintrix
