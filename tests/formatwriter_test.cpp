// Small documents of every format and writer path, written out by hand: red to blue over three
// characters gives AA0055, 5500AA, 0000FF exactly; red to red gives one run where runs merge.
// And the AVX2 paths against the portable ones, the wave's draws among them.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "engine/cpufeatures.h"
#include "engine/fadegenerator.h"
#include "engine/markupreading.h"
#include "engine/randomsource.h"
#include "tests/scriptedrandom.h"

namespace tintrix {
namespace {

constexpr Channels kRed{255, 0, 0};
constexpr Channels kBlue{0, 0, 255};

struct Golden {
  const char* name;
  MarkupFormat format;
  std::string text;
  std::string expected;
  Channels to = kBlue;
  bool wavy = false;  // lowered, raised, on the line
  bool merge = false;
  bool skipBlanks = false;
  bool bold = false;
  int levels = 256;
};

TEST(FormatWriter, GoldenDocuments) {
  const std::vector<Golden> cases = {
      {"classic", MarkupFormat::kClassic, "a&<",
       "<Font Color=#AA0055>a<Font Color=#5500AA>&<Font Color=#0000FF><"},
      {"classic wave", MarkupFormat::kClassic, "abc",
       "<Font Color=#AA0055><SUB>a<Font Color=#5500AA></SUB><SUP>b<Font Color=#0000FF></SUP>c",
       kBlue, true},
      {"classic wave merged", MarkupFormat::kClassic, "abc",
       "<Font Color=#FF0000><SUB>a<Font Color=#FF0000></SUB><SUP>b<Font Color=#FF0000></SUP>c",
       kRed, true, true},
      {"html", MarkupFormat::kHtml, "a&<",
       "<span style=\"color:#aa0055\">a</span><span style=\"color:#5500aa\">&amp;</span>"
       "<span style=\"color:#0000ff\">&lt;</span>"},
      {"html merged", MarkupFormat::kHtml, "a&\"",
       "<span style=\"color:#ff0000\">a&amp;&quot;</span>", kRed, false, true},
      {"html wave", MarkupFormat::kHtml, "a>c",
       "<span style=\"color:#aa0055\"><sub>a</sub></span><span style=\"color:#5500aa\"><sup>&gt;"
       "</sup></span><span style=\"color:#0000ff\">c</span>",
       kBlue, true},
      {"bbcode", MarkupFormat::kBbcode, "ab[",
       "[color=#AA0055]a[/color][color=#5500AA]b[/color][color=#0000FF][[/color]"},
      {"bbcode merged", MarkupFormat::kBbcode, "a[b",
       "[color=#FF0000]a[/color][color=#FF0000][[/color][color=#FF0000]b[/color]", kRed, false,
       true},
      {"ansi", MarkupFormat::kAnsi, "a\x1b<",
       "\x1b[38;2;170;0;85ma\x1b[38;2;85;0;170m\u241B\x1b[38;2;0;0;255m<"},
      {"ansi one colour", MarkupFormat::kAnsi, "a\tb", "\x1b[38;2;255;0;0ma\tb", kRed},
      {"minecraft bold", MarkupFormat::kMinecraft, "a&b", "&#AA0055&la&#5500AA&l&&#0000FF&lb",
       kBlue, false, false, false, true},
      {"minecraft", MarkupFormat::kMinecraft, "a&b", "&#AA0055a&#5500AA&&#0000FFb"},
      {"minecraft merged", MarkupFormat::kMinecraft, "a&b", "&#FF0000a&&#FF0000b", kRed, false,
       true},
      {"minimessage", MarkupFormat::kMinimessage, "a\\<", "<#aa0055>a<#5500aa>\\\\<#0000ff>\\<"},
      {"skipped blank", MarkupFormat::kMinimessage, "a b", "<#aa0055>a <#0000ff>b", kBlue, false,
       false, true},
      {"json", MarkupFormat::kJson, "a\"\\",
       ",{\"text\":\"a\",\"color\":\"#AA0055\"},{\"text\":\"\\\"\",\"color\":\"#5500AA\"},"
       "{\"text\":\"\\\\\",\"color\":\"#0000FF\"}"},
      {"json bold", MarkupFormat::kJson, "a\"b",
       ",{\"text\":\"a\",\"color\":\"#AA0055\",\"bold\":true},{\"text\":\"\\\"\",\"color\":"
       "\"#5500AA\",\"bold\":true},{\"text\":\"b\",\"color\":\"#0000FF\",\"bold\":true}",
       kBlue, false, false, false, true},
      {"json merged bold", MarkupFormat::kJson,
       "a\x01"
       "b",
       ",{\"text\":\"a\\u0001b\",\"color\":\"#FF0000\",\"bold\":true}", kRed, false, true, false,
       true},
      {"minecraft-x", MarkupFormat::kMinecraftX, "a&b",
       "&x&A&A&0&0&5&5a&x&5&5&0&0&A&A&&x&0&0&0&0&F&Fb"},
      {"minecraft-section merged", MarkupFormat::kMinecraftSection, "a&b&l",
       "\u00A7x\u00A7F\u00A7F\u00A70\u00A70\u00A70\u00A70a&"
       "\u00A7x\u00A7F\u00A7F\u00A70\u00A70\u00A70\u00A70b&"
       "\u00A7x\u00A7F\u00A7F\u00A70\u00A70\u00A70\u00A70l",
       kRed, false, true},
      // One colour: each tag made once and copied, the character put into it.
      {"classic one colour", MarkupFormat::kClassic, "a&<",
       "<Font Color=#FF0000>a<Font Color=#FF0000>&<Font Color=#FF0000><", kRed},
      {"html one colour", MarkupFormat::kHtml, "a&<",
       "<span style=\"color:#ff0000\">a</span><span style=\"color:#ff0000\">&amp;</span>"
       "<span style=\"color:#ff0000\">&lt;</span>",
       kRed},
      {"minimessage one colour", MarkupFormat::kMinimessage, "a<b",
       "<#ff0000>a<#ff0000>\\<<#ff0000>b", kRed},
      {"minecraft-x one colour", MarkupFormat::kMinecraftX, "a&b",
       "&x&F&F&0&0&0&0a&x&F&F&0&0&0&0&&x&F&F&0&0&0&0b", kRed},
      {"minecraft-section one colour", MarkupFormat::kMinecraftSection, "ab",
       "\u00A7x\u00A7F\u00A7F\u00A70\u00A70\u00A70\u00A70a"
       "\u00A7x\u00A7F\u00A7F\u00A70\u00A70\u00A70\u00A70b",
       kRed},
      {"merged runs copied whole", MarkupFormat::kBbcode, "abc",
       "[color=#FF0000]a[/color][color=#0000FF]bc[/color]", kBlue, false, true, false, false, 2},
      {"two levels", MarkupFormat::kBbcode, "abc",
       "[color=#FF0000]a[/color][color=#0000FF]b[/color][color=#0000FF]c[/color]", kBlue, false,
       false, false, false, 2},
  };
  for (const Golden& c : cases) {
    MarkupOptions options;
    options.format = c.format;
    options.merge = c.merge;
    options.skipBlanks = c.skipBlanks;
    options.bold = c.bold;
    options.levels = c.levels;
    const std::vector<Channels> colors = {kRed, c.to};
    testing::ScriptedRandom random({0.1, 0.5, 0.9});
    FadeHooks hooks;
    hooks.wave = &random;
    std::string out;
    ASSERT_TRUE(FadeGenerator(colors, c.wavy, options)
                    .Append(CharacterText::Bytes(c.text), hooks, out)
                    .ok())
        << c.name;
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

// One colour over a text long enough to be written eight characters at a time: each has the
// whole tag, and its own character.
TEST(FormatWriter, LongRunsOfOneColour) {
  const struct {
    MarkupFormat format;
    std::string open;
    std::string close;
  } cases[] = {
      {MarkupFormat::kClassic, "<Font Color=#FF0000>", ""},
      {MarkupFormat::kHtml, "<span style=\"color:#ff0000\">", "</span>"},
      {MarkupFormat::kMinecraftX, "&x&F&F&0&0&0&0", ""},
  };
  std::string text;
  for (int i = 0; i < 41; ++i) text += static_cast<char>('a' + i % 26);
  for (const auto& c : cases) {
    std::string expected;
    for (char ch : text) expected += c.open + ch + c.close;
    MarkupOptions options;
    options.format = c.format;
    const std::vector<Channels> colors = {kRed, kRed};
    std::string out;
    ASSERT_TRUE(
        FadeGenerator(colors, false, options).Append(CharacterText::Bytes(text), {}, out).ok());
    EXPECT_EQ(out, expected) << kFormats[static_cast<std::size_t>(c.format)].name;
  }
}

// Every flat writer read back: each character has its tag, in the colour the fade gives it.
// Few steps between the colours make long runs, whose changes fall anywhere in a group of
// eight; many colours make one change at nearly every character. Bytes the format escapes,
// and the wave in classic, take their own ways through the writers.
TEST(FormatWriter, FlatFadesReadBackAsMade) {
  const struct {
    MarkupFormat format;
    const char* odd;  // bytes the format escapes, put in now and then
  } cases[] = {
      {MarkupFormat::kClassic, ""},          {MarkupFormat::kHtml, "<&\""},
      {MarkupFormat::kBbcode, ""},           {MarkupFormat::kMinecraft, ""},
      {MarkupFormat::kMinimessage, "<\\"},   {MarkupFormat::kMinecraftX, ""},
      {MarkupFormat::kMinecraftSection, ""},
  };
  const std::vector<Channels> few = {{10, 20, 30}, {14, 27, 33}};
  std::vector<Channels> many;
  for (int k = 0; k < 12; ++k) many.push_back({k * 21, 255 - k * 19, (k * 97) % 256});
  for (const auto& c : cases) {
    for (const std::size_t n : {std::size_t{80}, std::size_t{3001}}) {
      std::string text;
      const std::string odd = c.odd;
      for (std::size_t i = 0; i < n; ++i) {
        text += !odd.empty() && i % 37 == 5 ? odd[i % odd.size()] : static_cast<char>('a' + i % 23);
      }
      for (const bool manyColors : {false, true}) {
        for (const bool wavy : {false, c.format == MarkupFormat::kClassic}) {
          SCOPED_TRACE(::testing::Message()
                       << kFormats[static_cast<std::size_t>(c.format)].name << ", " << n
                       << (manyColors ? ", many" : ", few") << (wavy ? ", wavy" : ""));
          MarkupOptions options;
          options.format = c.format;
          const FadeGenerator generator(manyColors ? many : few, wavy, options);
          ClockSeededRandom random(n);
          FadeHooks hooks;
          hooks.wave = &random;
          std::string out;
          ASSERT_TRUE(generator.Append(CharacterText::Bytes(text), hooks, out).ok());
          const StatusOr<MarkupReading> read = ReadMarkup(out, c.format);
          ASSERT_TRUE(read.ok());
          EXPECT_EQ(read->text, text);
          std::vector<ColorMark> tags;  // a run's end, where the format closes it, apart
          for (const ColorMark& mark : read->marks) {
            if (mark.colored) tags.push_back(mark);
          }
          const std::vector<std::uint32_t> colors = generator.Colors(n);
          ASSERT_EQ(tags.size(), n);
          for (std::size_t j = 0; j < n; ++j) {
            ASSERT_EQ(tags[j].at, j);
            ASSERT_EQ(tags[j].rgb, colors[j]) << "character " << j;
          }
        }
      }
    }
  }
}

// The AVX2 paths against the portable ones: texts around their four and eight colours at a
// time and their blocks, short segments and long, in every format.
TEST(FormatWriter, Avx2AndPortablePathsWriteTheSame) {
  if (!Avx2Available()) GTEST_SKIP() << "this processor has no AVX2";
  std::vector<Channels> colors;
  for (int k = 0; k < kMaxFadeColors; ++k) colors.push_back({k * 37 % 256, k * 91 % 256, 255 - k});
  for (std::size_t format = 0; format < kFormats.size(); ++format) {
    for (std::size_t count : {2, 5, 32}) {
      for (std::size_t n : {7, 8, 9, 63, 64, 65, 80, 257, 1000, 1001}) {
        MarkupOptions options;
        options.format = static_cast<MarkupFormat>(format);
        // The wave's draws too, where the format writes it.
        const bool wavy = n % 2 == 1;
        const FadeGenerator generator(std::span<const Channels>(colors).first(count), wavy,
                                      options);
        const std::string text(n, 'x');
        std::string made[2];
        for (bool avx2 : {true, false}) {
          EnableAvx2(avx2);
          ClockSeededRandom random(n);
          FadeHooks hooks;
          hooks.wave = &random;
          ASSERT_TRUE(generator.Append(CharacterText::Bytes(text), hooks, made[avx2]).ok());
        }
        EnableAvx2(true);
        EXPECT_EQ(made[0], made[1]) << kFormats[format].name << ", " << count << " colours, " << n;
      }
    }
  }
}

}  // namespace
}  // namespace tintrix
