#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/cpufeatures.h"
#include "engine/fadegenerator.h"
#include "engine/randomsource.h"
#include "engine/shortfadecolors.h"
#include "tests/scriptedrandom.h"

namespace tintrix {
namespace {

using testing::ScriptedRandom;

ColorCount Count(std::size_t n) { return *ColorCount::Any(static_cast<int>(n)); }

// One character of fade markup, taken apart again.
struct Tagged {
  std::string color;  // RRGGBB
  std::string waveTags;
  std::string character;
};

std::vector<Tagged> Parse(const std::string& markup) {
  static const std::string kTag = "<Font Color=#";
  std::vector<Tagged> out;
  std::size_t at = 0;
  while (at < markup.size()) {
    EXPECT_EQ(markup.compare(at, kTag.size(), kTag), 0) << markup.substr(at, 40);
    Tagged t;
    t.color = markup.substr(at + kTag.size(), 6);
    EXPECT_EQ(markup[at + kTag.size() + 6], '>');
    std::size_t rest = at + kTag.size() + 7;
    for (const char* wave : {"</SUB>", "</SUP>", "<SUB>", "<SUP>"}) {
      if (markup.compare(rest, std::string(wave).size(), wave) == 0) {
        t.waveTags += wave;
        rest += std::string(wave).size();
      }
    }
    const std::size_t next = markup.find(kTag, rest + 1);
    t.character = markup.substr(rest, next == std::string::npos ? std::string::npos : next - rest);
    out.push_back(t);
    at = next == std::string::npos ? markup.size() : next;
  }
  return out;
}

std::string Fade(std::vector<std::string> colors, const std::string& text, bool wavy = false,
                 RandomSource* random = nullptr) {
  std::string out;
  FadeHooks hooks;
  hooks.wave = random;
  const Status status =
      FadeRequest(Count(colors.size()), colors, CharacterText::Bytes(text), wavy, hooks, out);
  EXPECT_TRUE(status.ok()) << status.message();
  return out;
}

std::vector<std::string> Colors(const std::string& markup) {
  std::vector<std::string> colors;
  for (const Tagged& t : Parse(markup)) colors.push_back(t.color);
  return colors;
}

TEST(FadeRequest, WorkedTwoColorExample) {
  const std::string markup = Fade({"0", "16711680"}, "ab");
  EXPECT_EQ(markup, "<Font Color=#000080>a<Font Color=#0000FF>b");
  EXPECT_EQ(markup.size(), 42u);
}

TEST(FadeRequest, OneCharacterGetsTheColorItsSegmentEndsIn) {
  // black, blue, pure red, green, and distinct colours up to ten
  const std::vector<std::string> ten = {"0",   "16711680", "255", "65280", "1",
                                        "256", "65536",    "2",   "512",   "131072"};
  const struct {
    int count;
    const char* expected;
  } cases[] = {{2, "0000FF"},  // colour 2
               {3, "FF0000"},  // first segment empty: colour 3
               {4, "0000FF"},  // colour 2
               {5, "0000FF"},
               {10, "0000FF"}};
  for (const auto& c : cases) {
    const std::vector<std::string> colors(ten.begin(), ten.begin() + c.count);
    EXPECT_EQ(Colors(Fade(colors, "x")), std::vector<std::string>{c.expected}) << c.count;
  }
}

TEST(FadeRequest, ThreeCharactersOfTenColorsReachColorFour) {
  std::vector<std::string> colors;
  for (int k = 1; k <= 10; ++k) colors.push_back(std::to_string(k * 17));  // red 17, 34, ...
  EXPECT_EQ(Colors(Fade(colors, "abc")), (std::vector<std::string>{"220000", "330000", "440000"}));
}

TEST(FadeRequest, RoundsHalvesToEven) {
  // red 0.5 rounds to 0, then 1
  EXPECT_EQ(Colors(Fade({"0", "1"}, "ab")), (std::vector<std::string>{"000000", "010000"}));
}

TEST(FadeRequest, SingleAndDoublePrecisionDifferOnAHalf) {
  // 255 / 14 * 7 is 127.5: exact in double (128), just below in single (127).
  const std::string twentyEight(28, 'x');
  EXPECT_EQ(Colors(Fade({"0", "255", "255"}, twentyEight))[6], "7F0000");
  EXPECT_EQ(Colors(Fade({"0", "255"}, std::string(14, 'x')))[6], "800000");
}

TEST(FadeRequest, SegmentsEndExactlyOnTheirColors) {
  const std::vector<std::string> colors = {"0", "16711680", "12615808", "16744703", "0"};
  for (std::size_t n : {1u, 2u, 3u, 7u, 10u, 33u, 250u, 1001u}) {
    const std::vector<std::string> got = Colors(Fade(colors, std::string(n, 'x')));
    ASSERT_EQ(got.size(), n);
    // with a character for every segment, the last one has the last colour
    if (n >= 4) {
      EXPECT_EQ(got.back(), "000000") << n;
    }
    // the last character of every non-empty segment has the segment's end colour
    const std::vector<std::size_t> lengths = SegmentLengths(Count(5), n);
    const char* ends[] = {"0000FF", "8080C0", "FF80FF", "000000"};
    std::size_t last = 0;
    for (std::size_t k = 0; k < lengths.size(); ++k) {
      last += lengths[k];
      if (lengths[k] > 0) {
        EXPECT_EQ(got[last - 1], ends[k]) << n << " segment " << k;
      }
    }
  }
}

TEST(FadeRequest, EqualColorsGiveOneColorEverywhere) {
  for (int count : {2, 3, 4, 5, 10}) {
    const std::vector<std::string> colors(count, "12615808");
    for (const std::string& color : Colors(Fade(colors, "a b c d e f g"))) {
      EXPECT_EQ(color, "8080C0") << count;
    }
  }
}

TEST(FadeRequest, WritesEveryCharacterUnchanged) {
  const std::string text = "  <a href=\"x\">&amp;</a> ";
  std::string joined;
  const std::vector<Tagged> parsed = Parse(Fade({"0", "255", "65280"}, text));
  ASSERT_EQ(parsed.size(), text.size());
  for (const Tagged& t : parsed) joined += t.character;
  EXPECT_EQ(joined, text);
}

TEST(FadeRequest, EmptyTextGivesEmptyMarkup) {
  for (int count : {2, 3, 4, 5, 10}) {
    EXPECT_EQ(Fade(std::vector<std::string>(count, "0"), ""), "") << count;
  }
}

TEST(FadeRequest, RefusesColorTextsThatAreNoColorValue) {
  const struct {
    std::vector<std::string> colors;
    const char* message;
  } cases[] = {
      {{"0", ""}, "Colour 2 is not set"},
      {{"abc", "0", "0"}, "Colour 1 is not a valid colour value: \"abc\""},
      {{"0", "1", "-5", "0"}, "Colour 3 is not a valid colour value: \"-5\""},
      {{"0", "1", "2", "3", "4294967296"}, "Colour 5 is not a valid colour value: \"4294967296\""},
  };
  for (const auto& c : cases) {
    std::string out = "kept";
    const Status status =
        FadeRequest(Count(c.colors.size()), c.colors, CharacterText::Bytes("abc"), false, {}, out);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.message(), c.message);
    EXPECT_EQ(out, "kept");
  }
}

TEST(FadeRequest, IgnoresColorsAfterTheCount) {
  const std::vector<std::string> colors = {"0", "255", "not a colour", ""};
  std::string out;
  EXPECT_TRUE(FadeRequest(Count(2), colors, CharacterText::Bytes("ab"), false, {}, out).ok());
  EXPECT_EQ(Colors(out), (std::vector<std::string>{"800000", "FF0000"}));
}

TEST(FadeRequest, SevenAndEightDigitColorsUseTheirDigitReading) {
  // 16777216 is hexadecimal 1000000: blue 0x10, green 0, red 0.
  EXPECT_EQ(Colors(Fade({"0", "16777216"}, "a")), std::vector<std::string>{"000010"});
}

// The blend written out the slow, literal way, one character at a time: the cut, then
// start + i * step in the request's width, rounded half to even.
template <typename Real>
std::vector<std::string> ReferenceColors(const std::vector<Channels>& colors, std::size_t n) {
  const std::vector<std::size_t> lengths = SegmentLengths(Count(colors.size()), n);
  std::vector<std::string> out;
  for (std::size_t k = 0; k < lengths.size(); ++k) {
    const Real m = static_cast<Real>(lengths[k]);
    const auto channel = [&](int from, int to, std::size_t i) {
      const Real step = static_cast<Real>(to - from) / m;
      const Real product = static_cast<Real>(i) * step;
      const Real sum = static_cast<Real>(from) + product;
      return static_cast<int>(std::nearbyint(sum));
    };
    for (std::size_t i = 1; i <= lengths[k]; ++i) {
      out.push_back(MarkupColor(channel(colors[k].red, colors[k + 1].red, i),
                                channel(colors[k].green, colors[k + 1].green, i),
                                channel(colors[k].blue, colors[k + 1].blue, i)));
    }
  }
  return out;
}

TEST(FadeRequest, EveryCharacterMatchesTheLiteralBlend) {
  std::mt19937 random(2024);
  // The window's counts, and others the companion offers.
  for (int count : {2, 3, 4, 5, 6, 7, 9, 10, 11, 16, 32}) {
    for (int round = 0; round < 40; ++round) {
      std::vector<std::string> texts;
      std::vector<Channels> channels;
      for (int k = 0; k < count; ++k) {
        // channels near the ends and the middle hit exact halves most often
        const int picks[] = {0, 1, 127, 128, 254, 255, static_cast<int>(random() % 256)};
        const Channels c{picks[random() % 7], picks[random() % 7], picks[random() % 7]};
        channels.push_back(c);
        texts.push_back(std::to_string(c.red + 256 * c.green + 65536 * c.blue));
      }
      // Long texts too, whose blocks of characters mostly share one colour.
      const std::size_t n = round % 8 == 7 ? 5000 + random() % 30000 : 1 + random() % 700;
      const std::vector<std::string> expected =
          count == 2 ? ReferenceColors<double>(channels, n) : ReferenceColors<float>(channels, n);
      ASSERT_EQ(Colors(Fade(texts, std::string(n, 'x'))), expected)
          << count << " colours, " << n << " characters, round " << round;
    }
  }
}

TEST(SegmentLengths, HalvesAndDeals) {
  const struct {
    int colors;
    std::size_t n;
    std::vector<std::size_t> lengths;
  } cases[] = {
      {2, 0, {0}},
      {2, 9, {9}},
      {3, 1, {0, 1}},
      {3, 2, {1, 1}},
      {3, 3, {2, 1}},
      {3, 5, {2, 3}},
      {3, 7, {4, 3}},
      {3, 9, {4, 5}},
      {3, 11, {6, 5}},
      {4, 7, {3, 2, 2}},
      {5, 10, {3, 3, 2, 2}},
      {10, 11, {2, 2, 1, 1, 1, 1, 1, 1, 1}},
      {10, 3, {1, 1, 1, 0, 0, 0, 0, 0, 0}},
      {4, 0, {0, 0, 0}},
      {4, 5000000001, {1666666667, 1666666667, 1666666667}},
      {6, 7, {2, 2, 1, 1, 1}},
      {32, 33, {2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {32, 2, {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
               0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SegmentLengths(Count(c.colors), c.n), c.lengths) << c.colors << " colours, " << c.n;
  }
}

TEST(SegmentLengths, DealingLetsEventsRunOncePerPass) {
  const struct {
    int colors;
    std::size_t n;
    int passes;
  } cases[] = {{4, 0, 1},  {4, 1, 1},   {4, 3, 1},   {4, 4, 2},  {5, 10, 3},
               {10, 9, 1}, {10, 10, 2}, {3, 100, 0}, {2, 100, 0}};
  for (const auto& c : cases) {
    int runs = 0;
    SegmentLengths(Count(c.colors), c.n, [&runs] { ++runs; });
    EXPECT_EQ(runs, c.passes) << c.colors << " colours, " << c.n;
  }
}

TEST(RoundHalfEven, GoesToTheEvenNeighbour) {
  const struct {
    double value;
    double rounded;
  } cases[] = {{0.5, 0},     {1.5, 2},  {2.5, 2},  {3.5, 4},  {127.5, 128}, {126.5, 126},
               {254.5, 254}, {0.49, 0}, {0.51, 1}, {-0.5, 0}, {-1.5, -2},   {255, 255}};
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
    EXPECT_EQ(RoundHalfEven(static_cast<float>(c.value)), static_cast<float>(c.rounded)) << c.value;
  }
}

TEST(Wave, TagsFollowTheNextCharactersColorTag) {
  // 0.1 draws state 1 (lowered), 0.9 state 3 (on the line), 0.5 state 2 (raised)
  ScriptedRandom random({0.1, 0.9, 0.5});
  const std::vector<Tagged> parsed = Parse(Fade({"0", "0"}, "abc", true, &random));
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].waveTags, "<SUB>");
  EXPECT_EQ(parsed[1].waveTags, "</SUB>");
  EXPECT_EQ(parsed[2].waveTags, "<SUP>");
  ScriptedRandom again({0.1, 0.9, 0.5});
  EXPECT_EQ(Fade({"0", "0"}, "abc", true, &again),
            "<Font Color=#000000><SUB>a<Font Color=#000000></SUB>b<Font Color=#000000><SUP>c");
}

TEST(Wave, StateBoundariesOfTheDraw) {
  const struct {
    double r;
    const char* open;
  } cases[] = {{0.0, "<SUB>"},  {0.33, "<SUB>"}, {0.34, "<SUP>"},
               {0.66, "<SUP>"}, {0.67, ""},      {0.999999999999, ""}};
  for (const auto& c : cases) {
    ScriptedRandom random({c.r});
    EXPECT_EQ(Parse(Fade({"0", "0"}, "a", true, &random))[0].waveTags, c.open) << c.r;
  }
}

TEST(Wave, OpeningsAndClosingsBalanceExceptTheLast) {
  ClockSeededRandom random(42);
  for (int count : {2, 3, 4, 5, 10}) {
    // Long enough to be written in several blocks, whose wave must carry on across them.
    std::string text;
    while (text.size() < 1500) text += "the quick brown fox jumps over the lazy dog ";
    const std::vector<Tagged> parsed =
        Parse(Fade(std::vector<std::string>(count, "255"), text, true, &random));
    ASSERT_EQ(parsed.size(), text.size());
    int previous = 3;  // the first character closes nothing
    int openings = 0;
    int closings = 0;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
      const std::string& tags = parsed[i].waveTags;
      const std::string expectClose = previous == 1 ? "</SUB>" : previous == 2 ? "</SUP>" : "";
      EXPECT_EQ(tags.substr(0, expectClose.size()), expectClose);
      const std::string open = tags.substr(expectClose.size());
      previous = open == "<SUB>" ? 1 : open == "<SUP>" ? 2 : 3;
      if (i + 1 < parsed.size() && previous != 3) ++openings;
      if (!expectClose.empty()) ++closings;
    }
    EXPECT_EQ(openings, closings);
  }
}

TEST(Wave, OffDrawsNothingAndWritesNoWaveTag) {
  ScriptedRandom random;
  const std::string markup = Fade({"0", "255", "65280", "1", "2"}, "some text", false, &random);
  EXPECT_EQ(random.draws, 0);
  EXPECT_EQ(markup.find("SU"), std::string::npos);
}

TEST(Wave, SameColorsDifferentWaves) {
  ClockSeededRandom a(1), b(2);
  const std::string text(64, 'w');
  const std::string first = Fade({"0", "16711680"}, text, true, &a);
  const std::string second = Fade({"0", "16711680"}, text, true, &b);
  EXPECT_NE(first, second);
  EXPECT_EQ(Colors(first), Colors(second));
}

// A text cut into the given characters.
struct Pieces {
  std::string text;
  std::vector<std::uint64_t> starts;
  std::size_t count = 0;

  explicit Pieces(const std::vector<std::string>& characters) {
    std::vector<std::size_t> offsets;
    for (const std::string& c : characters) {
      offsets.push_back(text.size());
      text += c;
    }
    offsets.push_back(text.size());
    starts.assign(text.size() / 64 + 1, 0);
    for (std::size_t at : offsets) starts[at / 64] |= std::uint64_t{1} << (at % 64);
    count = characters.size();
  }
  CharacterText Characters() const { return CharacterText::WithStarts(text, starts, count); }
};

TEST(FadeRequest, WritesCharactersOfAnyLengthWhole) {
  const std::string longOne = "e" + std::string(40, '\x01');  // longer than one word
  const struct {
    const char* name;
    std::vector<std::string> characters;
  } cases[] = {
      {"short", {"\xC3\xA9", "x", "\xE6\x9D\xB1"}},
      {"long in the middle", {"a", longOne, "b"}},
      {"long at the end", {"a", "b", longOne}},
      {"one long", {longOne}},
      {"many across blocks", std::vector<std::string>(700, "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD")},
  };
  for (const auto& c : cases) {
    for (bool wavy : {false, true}) {
      const Pieces pieces(c.characters);
      ClockSeededRandom random(3);
      FadeHooks hooks;
      hooks.wave = &random;
      std::string out;
      ASSERT_TRUE(FadeRequest(Count(3), std::vector<std::string>{"0", "255", "65280"},
                              pieces.Characters(), wavy, hooks, out)
                      .ok());
      std::vector<std::string> got;
      for (const Tagged& t : Parse(out)) got.push_back(t.character);
      EXPECT_EQ(got, c.characters) << c.name << (wavy ? ", wavy" : "");
    }
  }
}

TEST(FadeHooks, DrainTakesTheMarkupInBlocksAndCanStopIt) {
  const std::string ascii(150000, 'x');
  const Pieces unicode(std::vector<std::string>(120000, "\xC3\xA9"));
  const struct {
    const char* name;
    CharacterText text;
    bool wavy;
  } cases[] = {{"ascii", CharacterText::Bytes(ascii), false},
               {"ascii wavy", CharacterText::Bytes(ascii), true},
               {"unicode", unicode.Characters(), false}};
  const std::vector<std::string> colors = {"0", "255", "65280", "1"};
  for (const auto& c : cases) {
    ClockSeededRandom whole(5), drained(5);
    FadeHooks hooks;
    hooks.wave = &whole;
    std::string expected = "head";
    ASSERT_TRUE(FadeRequest(Count(4), colors, c.text, c.wavy, hooks, expected).ok());
    std::string got;
    std::vector<std::size_t> blocks;
    hooks.wave = &drained;
    hooks.drain = [&](std::string_view block) {
      blocks.push_back(block.size());
      got += block;
      return Status::Ok();
    };
    std::string out = "head";
    ASSERT_TRUE(FadeRequest(Count(4), colors, c.text, c.wavy, hooks, out).ok());
    got += out;
    EXPECT_EQ(got, expected) << c.name;
    ASSERT_GE(blocks.size(), 2u) << c.name;
    for (std::size_t size : blocks) {
      EXPECT_GE(size, kDrainBytes) << c.name;
      EXPECT_LT(size, kDrainBytes + 64 * 1024) << c.name;
    }
    EXPECT_LT(out.size(), kDrainBytes) << c.name;

    int calls = 0;
    hooks.drain = [&](std::string_view) {
      ++calls;
      return Status::IoError("full");
    };
    const Status status = FadeRequest(Count(4), colors, c.text, c.wavy, hooks, out);
    EXPECT_EQ(status.code(), StatusCode::kIoError) << c.name;
    EXPECT_EQ(status.message(), "full");
    EXPECT_EQ(calls, 1) << c.name;
  }
}

TEST(FadeHooks, ProgressEveryFewCharactersWhateverTheColors) {
  for (int count : {2, 3, 4, 5, 10}) {
    for (std::size_t n : {std::size_t{10}, kProgressCharacters - 1, kProgressCharacters,
                          3 * kProgressCharacters + 5}) {
      int calls = 0;
      FadeHooks hooks;
      hooks.progress = [&calls] { ++calls; };
      std::string out;
      ASSERT_TRUE(FadeRequest(Count(count), std::vector<std::string>(count, "7"),
                              CharacterText::Bytes(std::string(n, 'x')), false, hooks, out)
                      .ok());
      EXPECT_EQ(calls, static_cast<int>(n / kProgressCharacters)) << count << " colours, " << n;
    }
  }
}

// A text cut at its code points, or into bytes where it is all ASCII.
CharacterText CodePoints(const std::string& text) {
  std::vector<std::uint64_t> starts(text.size() / 64 + 1);
  std::size_t count = 0;
  bool ascii = true;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size()) ascii &= static_cast<unsigned char>(text[i]) < 0x80;
    if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      starts[i / 64] |= std::uint64_t{1} << (i % 64);
      count += i < text.size();
    }
  }
  if (ascii) return CharacterText::Bytes(text);
  return CharacterText::WithStarts(text, std::move(starts), count);
}

// Colours kept by length give the markup made without them: every format, with the options
// that change how colours are written, fades of 2 to 32 colours in turn through one keeper (so
// that it starts afresh), texts of each length twice and around the longest kept.
TEST(FadeHooks, ShortColorsGiveTheSameMarkup) {
  std::vector<Channels> palette;
  for (int k = 0; k < kMaxFadeColors; ++k) palette.push_back({k * 53 % 256, 255 - k * 7, k * 3});
  const std::string texts[] = {"a",
                               "ab",
                               "e\u0301x",
                               std::string(80, 'q'),
                               "Gr\u00fc\u00dfe \U0001F389 <&\"> x",
                               std::string(255, 'z'),
                               std::string(256, ' '),
                               std::string(257, 'y')};
  const struct {
    bool wavy, merge, skipBlanks;
    int levels;
    BlendSpace blend;
  } optionSets[] = {{false, false, false, 256, BlendSpace::kRgb},
                    {false, true, true, 4, BlendSpace::kRgb},
                    {true, false, false, 256, BlendSpace::kOkLab}};
  // One fade's colours through every format and levels in turn: what the keeper keeps for one
  // must not be taken for another.
  ShortFadeColors kept;
  for (std::size_t count : {2, 3, 5, 32}) {
    for (const auto& set : optionSets) {
      for (std::size_t format = 0; format < kFormats.size(); ++format) {
        for (int levels : {set.levels, 3}) {
          MarkupOptions options;
          options.format = static_cast<MarkupFormat>(format);
          options.merge = set.merge;
          options.skipBlanks = set.skipBlanks;
          options.levels = levels;
          options.blend = set.blend;
          const FadeGenerator generator(std::span<const Channels>(palette).first(count), set.wavy,
                                        options);
          for (int round = 0; round < 2; ++round) {
            for (const std::string& text : texts) {
              std::string made[2];
              for (int k = 0; k < 2; ++k) {
                ClockSeededRandom wave(11);
                FadeHooks hooks;
                hooks.wave = &wave;
                hooks.shortColors = k == 1 ? &kept : nullptr;
                ASSERT_TRUE(generator.Append(CodePoints(text), hooks, made[k]).ok());
              }
              ASSERT_EQ(made[1], made[0]) << kFormats[format].name << ", " << count << " colours, "
                                          << text.size() << " bytes";
            }
          }
        }
      }
    }
  }
}

TEST(FractionGenerator, TheSeedFixesTheSequenceHoweverItIsDrawn) {
  std::vector<float> whole(1000);
  FractionGenerator(11).Fill(whole);
  for (float r : whole) {
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
  FractionGenerator pieces(11);
  std::vector<float> drawn;
  for (std::size_t size : {1, 7, 32, 33, 3, 64, 200, 660}) {
    std::vector<float> part(size);
    pieces.Fill(part);
    drawn.insert(drawn.end(), part.begin(), part.end());
  }
  drawn.resize(whole.size());
  EXPECT_EQ(drawn, whole);
  std::vector<float> other(1000);
  FractionGenerator(12).Fill(other);
  EXPECT_NE(other, whole);
  // roughly uniform: each third of [0, 1) gets about a third of the draws
  int low = 0;
  for (float r : whole) low += r < 1.0f / 3 ? 1 : 0;
  EXPECT_NEAR(low, 333, 60);
}

TEST(FractionGenerator, Avx2AndPortableStepsDrawTheSame) {
  if (!Avx2Available()) GTEST_SKIP() << "this processor has no AVX2";
  std::vector<float> drawn[2] = {std::vector<float>(1000), std::vector<float>(1000)};
  for (bool avx2 : {false, true}) {
    EnableAvx2(avx2);
    FractionGenerator(13).Fill(drawn[avx2]);
  }
  EXPECT_EQ(drawn[0], drawn[1]);
}

}  // namespace
}  // namespace tintrix
