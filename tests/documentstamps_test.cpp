#include "output/documentstamps.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "engine/cpufeatures.h"
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

// Texts past ASCII: characters of two to four bytes and of several code points, now and then
// one that a format escapes, looks at in a rule, or takes for a blank, and a broken sequence.
std::vector<std::string> TextsPastAscii() {
  const std::vector<std::string> plain = {"\u00E9",     "\u00FC",  "\u0416", "\u6771",
                                          "\U0001F389", "i\u0308", "e",      "\u00C3\u00A9"};
  const std::vector<std::string> odd = {"\u00A7", "\u00A0", "\u0085", "\u3000",          "\u2028",
                                        "\xC3",   "&",      " ",      "\u200D\U0001F389"};
  std::mt19937 random(31);
  std::vector<std::string> texts;
  for (std::size_t n : {1, 2, 40, 80, 256, 257}) {
    for (int k = 0; k < 6; ++k) {
      std::string text;
      for (std::size_t i = 0; i < n; ++i) {
        text += k % 2 == 0 || random() % 20 != 0 ? plain[random() % plain.size()]
                                                 : odd[random() % odd.size()];
      }
      texts.push_back(text);
    }
  }
  // Each of the odd ones between plain characters, twice: the second would be stamped.
  for (const std::string& one : odd) {
    std::string text;
    for (int k = 0; k < 40; ++k) text += "\u00E9" + one;
    texts.insert(texts.end(), 2, text);
  }
  return texts;
}

TEST(DocumentStamps, SameDocumentsAndTagsAsMakingEach) {
  std::vector<std::string> texts = Texts();
  const std::vector<std::string> pastAscii = TextsPastAscii();
  texts.insert(texts.end(), pastAscii.begin(), pastAscii.end());
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
      std::size_t stampedAscii = 0;
      for (std::size_t t = 0; t < texts.size(); ++t) {
        if (t == texts.size() - pastAscii.size()) stampedAscii = stamps.stamped();
        const std::string& text = texts[t];
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
      // Lengths 0 and 1 and many others hold texts that every format writes as they are; past
      // ASCII, every format but json (which escapes every such byte) writes half the texts so.
      const std::size_t stamped = stamps.stamped();
      if (!c.wavy || !WritesWave(options.format)) {
        EXPECT_GE(stamped, 10U);
        if (options.format != MarkupFormat::kJson) {
          EXPECT_GE(stamped - stampedAscii, 8U);
        }
      } else {
        EXPECT_EQ(stamped, 0U);
      }
    }
  }
}

// The look over a whole text, on both paths, against each byte's own: a member at every
// place of texts either side of the 32 bytes the AVX2 path takes at once.
TEST(ByteSet, AnyInFindsEachMemberWherever) {
  std::array<bool, 256> none{}, escapes{}, high{}, edges{}, odd{};
  for (const unsigned char b : {'<', '>', '&', '"', '\\', '[', ']'}) escapes[b] = true;
  for (unsigned b = 0; b < 256; ++b) {
    high[b] = b >= 0x80;
    odd[b] = b % 2 == 1;
  }
  edges[0x00] = edges[0x0F] = edges[0x7F] = edges[0x80] = edges[0xFF] = true;
  for (const auto& members : {none, escapes, high, edges, odd}) {
    const ByteSet set(members);
    unsigned char outside = 0;
    while (members[outside] && outside < 255) ++outside;
    for (const std::size_t size : {0, 1, 31, 32, 33, 64, 95, 100}) {
      for (std::size_t place = 0; place <= size; ++place) {
        std::string text(size, static_cast<char>(outside));
        for (unsigned b = 0; b < 256 && place < size; ++b) {
          text[place] = static_cast<char>(b);
          const bool expected = members[b] || members[outside];
          for (const bool avx2 : {true, false}) {
            EnableAvx2(avx2);
            ASSERT_EQ(set.AnyIn(text), expected) << size << " " << place << " " << b;
          }
        }
        if (place == size) {
          EXPECT_EQ(set.AnyIn(text), members[outside] && size > 0) << size;
        }
      }
    }
  }
  EnableAvx2(true);
}

}  // namespace
}  // namespace tintrix
