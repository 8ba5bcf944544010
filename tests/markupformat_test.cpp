#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "engine/blendspace.h"
#include "engine/markupreading.h"
#include "output/fadedocument.h"
#include "output/graphemes.h"
#include "tests/runtool.h"

namespace tintrix {
namespace {

const std::vector<std::string> kRainbow = {"255",     "65280", "16711680", "65535",    "16776960",
                                           "8388736", "32768", "128",      "16777215", "0"};

FadeSettings Fade(int colors, bool wavy) {
  FadeSettings fade = DefaultFade();
  fade.colorCount = std::to_string(colors);
  std::copy(kRainbow.begin(), kRainbow.end(), fade.colors.begin());
  fade.wavy = wavy ? 1 : 0;
  fade.bold = fade.italic = fade.underlined = 0;
  return fade;
}

std::string Document(const FadeSettings& fade, std::string_view text, const MarkupOptions& options,
                     bool markupOnly = true, std::uint64_t seed = 7, std::size_t* tags = nullptr) {
  const StatusOr<FadeDocument> document = FadeDocument::Create(fade, markupOnly, options);
  EXPECT_TRUE(document.ok());
  ClockSeededRandom random(seed);
  FadeHooks hooks;
  hooks.wave = &random;
  hooks.colorTags = tags;
  std::string out;
  EXPECT_TRUE(document->Append(text, hooks, out).ok());
  return out;
}

MarkupOptions Format(MarkupFormat format, bool merge = false, bool skipBlanks = false) {
  MarkupOptions options;
  options.format = format;
  options.merge = merge;
  options.skipBlanks = skipBlanks;
  return options;
}

using testing::RunTool;
using testing::ToolRun;

TEST(MarkupFormat, GoldenDocuments) {
  const struct {
    const char* format;
    std::string expected;
  } cases[] = {
      {"classic",
       "<font face=\"O'Neil\\\"><u><i><b><Font Color=#BF4000>a<Font Color=#808000><"
       "<Font Color=#40BF00>\"<Font Color=#00FF00>&<Font Color=#00AA55>\\<Font Color=#0055AA>é"
       "<Font Color=#0000FF>👍🏽</b></i></u></font>"},
      {"html",
       "<span style=\"font-family:'O\\'Neil\\\\'\"><u><i><b><span style=\"color:#bf4000\">a</span>"
       "<span style=\"color:#808000\">&lt;</span><span style=\"color:#40bf00\">&quot;</span>"
       "<span style=\"color:#00ff00\">&amp;</span><span style=\"color:#00aa55\">\\</span>"
       "<span style=\"color:#0055aa\">é</span><span style=\"color:#0000ff\">👍🏽</span>"
       "</b></i></u></span>"},
      {"bbcode",
       "[font=O'Neil\\][u][i][b][color=#BF4000]a[/color][color=#808000]<[/color]"
       "[color=#40BF00]\"[/color][color=#00FF00]&[/color][color=#00AA55]\\[/color]"
       "[color=#0055AA]é[/color][color=#0000FF]👍🏽[/color][/b][/i][/u][/font]"},
      {"ansi",
       "\x1b[4m\x1b[3m\x1b[1m\x1b[38;2;191;64;0ma\x1b[38;2;128;128;0m<\x1b[38;2;64;191;0m\""
       "\x1b[38;2;0;255;0m&\x1b[38;2;0;170;85m\\\x1b[38;2;0;85;170mé\x1b[38;2;0;0;"
       "255m👍🏽\x1b["
       "0m"},
      {"minecraft",
       "&#BF4000&n&o&la&#808000&n&o&l<&#40BF00&n&o&l\"&#00FF00&n&o&l&&#00AA55&n&o&l\\"
       "&#0055AA&n&o&lé&#0000FF&n&o&l👍🏽"},
      {"minimessage",
       "<u><i><b><#bf4000>a<#808000>\\<<#40bf00>\"<#00ff00>&<#00aa55>\\\\<#0055aa>é"
       "<#0000ff>👍🏽</b></i></u>"},
  };
  for (const auto& c : cases) {
    const ToolRun run =
        RunTool({"--defaults", "--bold", "--italic", "--underline", "--font", "O'Neil\\",
                 "--colors", "3", "--color", "1=#FF0000", "--color", "2=#00FF00", "--color",
                 "3=#0000FF", "--format", c.format, "--", "a<\"&\\é👍🏽"});
    EXPECT_EQ(run.status, 0) << c.format;
    EXPECT_EQ(run.out, c.expected + "\n") << c.format;
  }
  // Without a font, html and bbcode leave the font element out; ansi resets even bare markup.
  FadeSettings fade = Fade(2, false);
  fade.font = "";
  fade.bold = 1;
  EXPECT_EQ(Document(fade, "x", Format(MarkupFormat::kHtml), false),
            "<b><span style=\"color:#00ff00\">x</span></b>");
  EXPECT_EQ(Document(fade, "x", Format(MarkupFormat::kBbcode), false),
            "[b][color=#00FF00]x[/color][/b]");
  EXPECT_EQ(Document(fade, "", Format(MarkupFormat::kAnsi), true), "\x1b[0m");
}

// A font name comes from shared fade files: it stays one name in its tag, or the tag is left
// out where the format cannot hold it.
TEST(MarkupFormat, FontCannotBecomeMarkup) {
  const struct {
    MarkupFormat format;
    const char* font;
    const char* head;    // what comes before the colour tags
    bool tagged = true;  // the document has a font tag, read back as the font
  } cases[] = {
      {MarkupFormat::kClassic, "x\"><img src=x onerror=\"a='p'\">",
       "<font face=\"x&quot;&gt;&lt;img src=x onerror=&quot;a='p'&quot;&gt;\"><b>"},
      {MarkupFormat::kClassic, "R&D <Sans>", "<font face=\"R&amp;D &lt;Sans&gt;\"><b>"},
      {MarkupFormat::kHtml, "x'\"><img src=x>",
       "<span style=\"font-family:'x\\'&quot;&gt;&lt;img src=x&gt;'\"><b>"},
      {MarkupFormat::kHtml, "a\n;color:red\x7f",
       "<span style=\"font-family:'a\\a ;color:red\\7f '\"><b>"},
      {MarkupFormat::kBbcode, "x][url=javascript:a]y", "[b]", false},
      {MarkupFormat::kBbcode, "x[b", "[b]", false},
      {MarkupFormat::kBbcode, "two\nlines", "[b]", false},
      {MarkupFormat::kBbcode, "two\u2028lines", "[b]", false},
      {MarkupFormat::kBbcode, "Comic Sans MS", "[font=Comic Sans MS][b]"},
  };
  for (const auto& c : cases) {
    FadeSettings fade = Fade(2, false);
    fade.font = c.font;
    fade.bold = 1;
    const std::string document = Document(fade, "x", Format(c.format), false);
    EXPECT_TRUE(document.starts_with(c.head)) << c.font << " gave " << document;
    const StatusOr<MarkupReading> read = ReadMarkup(document, c.format);
    ASSERT_TRUE(read.ok()) << c.font;
    EXPECT_EQ(read->hasFont, c.tagged) << c.font;
    if (c.tagged) {
      EXPECT_EQ(read->font, c.font);
    }
  }
}

// The text stays text: no character can end up a terminal's command, a tag or a code, merged
// or not. Every case fades from red to red, so that merging joins whatever the rules allow.
TEST(MarkupFormat, TextCannotBecomeMarkup) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string text;
    std::string expected;
  } cases[] = {
      // C0 controls but TAB, and DEL, as Control Pictures; C1 controls as U+FFFD; other bytes
      // as they are, ill-formed ones too.
      {"ansi title",
       {"--format", "ansi"},
       "a\x1b]0;title\ab",
       "\x1b[38;2;255;0;0ma\u241B]0;title\u2407b\x1b[0m"},
      {"ansi controls",
       {"--format", "ansi", "--merge"},
       "\b\r\n\t\x7f\xc2\x85\xc2\xa3\xff",
       "\x1b[38;2;255;0;0m\u2408\u240D\u240A\t\u2421\uFFFD\xc2\xa3\xff\x1b[0m"},
      {"ansi wide", {"--format", "ansi"}, "\x1b\u00E9", "\x1b[38;2;255;0;0m\u241B\u00E9\x1b[0m"},
      // A [ alone in its element, with nothing joining it, blanks included.
      {"bbcode merged",
       {"--format", "bbcode", "--merge"},
       "[b]x[/color]",
       "[color=#FF0000][[/color][color=#FF0000]b]x[/color][color=#FF0000][[/color]"
       "[color=#FF0000]/color][/color]"},
      {"bbcode blank",
       {"--format", "bbcode", "--merge", "--skip-blanks"},
       "a [ b",
       "[color=#FF0000]a [/color][color=#FF0000][[/color][color=#FF0000] b[/color]"},
      // After a literal & or §, the colour code and its styles again.
      {"minecraft merged",
       {"--format", "minecraft", "--merge", "--bold"},
       "R&D \u00A7l&",
       "&#FF0000&lR&&#FF0000&lD \u00A7&#FF0000&ll&"},
      {"minecraft blank",
       {"--format", "minecraft", "--merge", "--skip-blanks"},
       "a& b",
       "&#FF0000a&&#FF0000 b"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--defaults", "--no-bold", "--markup-only", "--colors", "2",
                                     "--color",    "1=255",     "--color",       "2=255"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    // Styles through their codes, which --markup-only would leave out.
    if (std::find(args.begin(), args.end(), "--bold") != args.end()) {
      args.erase(std::find(args.begin(), args.end(), "--markup-only"));
    }
    args.push_back("--");
    args.push_back(c.text);
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 0) << c.name;
    EXPECT_EQ(run.out, c.expected + "\n") << c.name;
  }
}

// A document taken apart into its runs: a colour (RRGGBB, upper case), the wave state the
// run's tags give ("" none, "1" lowered, "2" raised) and its characters, unescaped.
struct TagRun {
  std::string color;
  std::string state;
  std::string text;
  bool operator==(const TagRun&) const = default;
  friend void PrintTo(const TagRun& run, std::ostream* os) {
    *os << run.color << "/" << run.state << "/" << run.text;
  }
};

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Unescape(std::string s, MarkupFormat format) {
  if (format == MarkupFormat::kHtml) {
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
      for (std::size_t at; (at = s.find(from)) != std::string::npos;)
        s.replace(at, from.size(), to);
    }
  } else if (format == MarkupFormat::kMinimessage) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) out += s[i] == '\\' ? s[++i] : s[i];
    s = out;
  } else if (format == MarkupFormat::kJson) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] != '\\') {
        out += s[i];
      } else if (s[++i] == 'u') {
        AppendUtf8(static_cast<char32_t>(std::stoi(s.substr(i + 1, 4), nullptr, 16)), &out);
        i += 4;
      } else {
        out += s[i];
      }
    }
    s = out;
  }
  return s;
}

// Classic by hand: wave tags may stand inside a merged run.
std::vector<TagRun> DecodeClassic(const std::string& markup) {
  static const std::string kTag = "<Font Color=#";
  std::vector<TagRun> runs;
  std::string color, state;
  for (std::size_t at = 0; at < markup.size();) {
    if (markup.compare(at, kTag.size(), kTag) == 0) {
      color = markup.substr(at + kTag.size(), 6);
      at += kTag.size() + 7;
    } else if (markup.compare(at, 6, "</SUB>") == 0 || markup.compare(at, 6, "</SUP>") == 0) {
      at += 6;
    } else if (markup.compare(at, 5, "<SUB>") == 0 || markup.compare(at, 5, "<SUP>") == 0) {
      state = markup[at + 3] == 'B' ? "1" : "2";
      at += 5;
    } else {
      const std::size_t end = std::min(markup.find('<', at), markup.size());
      runs.push_back({color, state, markup.substr(at, end - at)});
      state.clear();
      at = end;
    }
  }
  return runs;
}

std::vector<TagRun> Decode(const std::string& markup, MarkupFormat format) {
  if (format == MarkupFormat::kClassic) return DecodeClassic(markup);
  static const std::regex kPatterns[] = {
      std::regex(),
      std::regex(
          R"re(<span style="color:#([0-9a-f]{6})">(<sub>|<sup>)?([^<]*)(?:</su[bp]>)?</span>)re"),
      std::regex(
          R"re(\[color=#([0-9A-F]{6})\](\[sub\]|\[sup\])?([^\[]*)(?:\[/su[bp]\])?\[/color\])re"),
      std::regex("\x1b\\[38;2;(\\d+);(\\d+);(\\d+)m([^\x1b]*)"),
      std::regex(R"re(&#([0-9A-F]{6})()([^&]*))re"),
      std::regex(R"re(<#([0-9a-f]{6})>()((?:\\.|[^<\\])*))re"),
      // json, its text before its colour
      std::regex(R"re(,\{"text":"((?:\\.|[^"\\])*)","color":"#([0-9A-F]{6})"\})re"),
      std::regex(R"re(&x((?:&[0-9A-F]){6})()([^&]*))re"),
      std::regex("\xC2\xA7x((?:\xC2\xA7[0-9A-F]){6})()((?:[^\xC2]|\xC2[^\xA7])*)"),
  };
  const auto index = static_cast<std::size_t>(format);
  std::vector<TagRun> runs;
  const bool json = format == MarkupFormat::kJson;
  std::size_t consumed = json ? 3 : 0;  // [""
  for (auto it = std::sregex_iterator(markup.begin(), markup.end(), kPatterns[index]);
       it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    EXPECT_EQ(static_cast<std::size_t>(m.position(0)), consumed) << markup.substr(0, 200);
    consumed = static_cast<std::size_t>(m.position(0) + m.length(0));
    TagRun run;
    if (json) {
      run = {m[2], "", Unescape(m[1], format)};
    } else if (format == MarkupFormat::kMinecraftX || format == MarkupFormat::kMinecraftSection) {
      std::string color = m[1];
      color.erase(
          std::remove_if(color.begin(), color.end(),
                         [](char c) { return !std::isxdigit(static_cast<unsigned char>(c)); }),
          color.end());
      run = {color, "", m[3]};
    } else if (format == MarkupFormat::kAnsi) {
      char hex[7];
      std::snprintf(hex, sizeof hex, "%02X%02X%02X", std::stoi(m[1]), std::stoi(m[2]),
                    std::stoi(m[3]));
      run = {hex, "", m[4]};
    } else {
      const std::string tag = Upper(m[2]);
      run = {Upper(m[1]),
             tag.empty()                          ? ""
             : tag.find('B') != std::string::npos ? "1"
                                                  : "2",
             Unescape(m[3], format)};
    }
    runs.push_back(run);
  }
  const std::size_t end = markup.size() - (format == MarkupFormat::kAnsi ? 4 : json ? 1 : 0);
  EXPECT_EQ(consumed, end) << markup.substr(0, 200);
  return runs;
}

// One run per character.
std::vector<TagRun> Characters(const std::vector<TagRun>& runs) {
  std::vector<TagRun> out;
  for (const TagRun& run : runs) {
    const CharacterText text = SplitCharacters(run.text);
    CharacterText::Cursor cursor(text);
    std::size_t start = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
      const std::size_t end = cursor.Next();
      out.push_back({run.color, run.state, run.text.substr(start, end - start)});
      start = end;
    }
  }
  return out;
}

bool IsBlank(const std::string& c) {
  return c == " " || c == "\t" || c == "\xC2\xA0" || c == "\xE3\x80\x80";
}

// Every format, merged or not, skipping blanks or not, gives each character classic's colour
// and wave state, except that a skipped blank takes the character's before it; merged runs
// change their tag at every boundary.
TEST(MarkupFormat, EveryFormatCarriesClassicsColoursAndWave) {
  const std::string texts[] = {"Hello, world and all", "  two  blanks\tand\u00A0more ",
                               "e\u0301🇫🇷👍🏽 中文\u3000x",
                               std::string(300, 'a') + " " + "b"};
  const MarkupFormat formats[] = {
      MarkupFormat::kClassic, MarkupFormat::kHtml,       MarkupFormat::kBbcode,
      MarkupFormat::kAnsi,    MarkupFormat::kMinecraft,  MarkupFormat::kMinimessage,
      MarkupFormat::kJson,    MarkupFormat::kMinecraftX, MarkupFormat::kMinecraftSection};
  for (int colors : {2, 3, 5, 10}) {
    for (bool wavy : {false, true}) {
      const FadeSettings fade = Fade(colors, wavy);
      for (const std::string& text : texts) {
        const std::vector<TagRun> classic =
            Characters(Decode(Document(fade, text, {}), MarkupFormat::kClassic));
        // Variants 4 and 5 reduce the colours, which classic writes through the general writer.
        MarkupOptions reduced;
        reduced.levels = 4;
        const std::vector<TagRun> classicReduced =
            Characters(Decode(Document(fade, text, reduced), MarkupFormat::kClassic));
        for (MarkupFormat format : formats) {
          for (int variant = 0; variant < 6; ++variant) {
            const bool merge = variant & 1, skip = variant == 2 || variant == 3;
            MarkupOptions options = Format(format, merge, skip);
            if (variant >= 4) options.levels = 4;
            const std::string label = std::to_string(colors) + (wavy ? " wavy " : " ") +
                                      std::to_string(static_cast<int>(format)) + " " +
                                      std::to_string(variant) + " " + text;
            std::size_t tags = 0;
            const std::string markup = Document(fade, text, options, true, 7, &tags);
            const std::vector<TagRun> runs = Decode(markup, format);
            std::vector<TagRun> expected = variant >= 4 ? classicReduced : classic;
            const bool merges = merge || format == MarkupFormat::kAnsi;
            std::size_t expectedTags = 0;
            for (std::size_t i = 0; i < expected.size(); ++i) {
              if (!WritesWave(format)) expected[i].state = "";
              if (skip && i > 0 && IsBlank(expected[i].text)) {
                expected[i].color = expected[i - 1].color;
                expected[i].state = expected[i - 1].state;
                continue;
              }
              const bool sameKey = i > 0 && expected[i].color == expected[i - 1].color &&
                                   expected[i].state == expected[i - 1].state;
              if (!merges || !sameKey) ++expectedTags;
            }
            EXPECT_EQ(tags, expectedTags) << label;
            if (format != MarkupFormat::kClassic) {
              EXPECT_EQ(runs.size(), tags) << label;
            }
            EXPECT_EQ(Characters(runs), expected) << label;
          }
        }
      }
    }
  }
}

// Classic written through the general writer (blanks skipped in texts that hold none) is
// byte for byte the window's markup, wave included.
TEST(MarkupFormat, ClassicThroughEveryPathIsTheSame) {
  for (int colors : {2, 3, 4, 5, 10}) {
    for (bool wavy : {false, true}) {
      for (const std::string text :
           {"Hello", "e\u0301🇫🇷👍🏽中文x\u0308", "abcdefghijklmnopqrstuvwxyz"}) {
        const FadeSettings fade = Fade(colors, wavy);
        MarkupOptions general;
        general.skipBlanks = true;
        EXPECT_EQ(Document(fade, text, general, false), Document(fade, text, {}, false))
            << colors << wavy << text;
      }
    }
  }
}

TEST(MarkupFormat, LevelsRoundHalvesToEven) {
  // A grey blend from 0 to 255 over 255 characters gives character i the channel value i.
  FadeSettings fade = Fade(2, false);
  fade.colors[0] = "0";
  fade.colors[1] = "16777215";
  const std::string text(255, 'x');
  const struct {
    int levels;
    int value;
    const char* expected;
  } cases[] = {{2, 127, "000000"}, {2, 128, "FFFFFF"}, {3, 63, "000000"}, {3, 64, "808080"},
               {3, 191, "808080"}, {3, 192, "FFFFFF"}, {16, 8, "000000"}, {16, 9, "111111"},
               {4, 42, "000000"},  {4, 43, "555555"}};
  for (const auto& c : cases) {
    MarkupOptions options = Format(MarkupFormat::kBbcode);
    options.levels = c.levels;
    const std::vector<TagRun> runs = Decode(Document(fade, text, options), MarkupFormat::kBbcode);
    ASSERT_EQ(runs.size(), 255u);
    EXPECT_EQ(runs[static_cast<std::size_t>(c.value - 1)].color, c.expected)
        << c.levels << " " << c.value;
  }
}

// References computed apart from this program (Python's colorsys for HSV, the published OKLab
// matrices for OKLab and OKLCh).
TEST(MarkupFormat, PerceptualBlendsMatchReferences) {
  const struct {
    const char* name;
    BlendSpace space;
    Channels from, to;
    std::vector<Channels> expected;
  } cases[] = {
      {"oklab",
       BlendSpace::kOkLab,
       {255, 0, 0},
       {0, 0, 255},
       {{198, 73, 109}, {140, 83, 162}, {81, 71, 210}, {0, 0, 255}}},
      {"oklab",
       BlendSpace::kOkLab,
       {0, 0, 0},
       {255, 255, 255},
       {{54, 54, 54}, {148, 148, 148}, {255, 255, 255}}},
      {"oklch",
       BlendSpace::kOkLch,
       {255, 0, 0},
       {0, 0, 255},
       {{232, 0, 123}, {186, 0, 194}, {122, 0, 244}, {0, 0, 255}}},
      {"oklch grey",
       BlendSpace::kOkLch,
       {128, 128, 128},
       {0, 200, 50},
       {{111, 153, 111}, {84, 177, 88}, {0, 200, 50}}},
      {"oklch",
       BlendSpace::kOkLch,
       {255, 255, 0},
       {255, 0, 255},
       {{255, 167, 0}, {255, 66, 123}, {255, 0, 255}}},
      {"hsv",
       BlendSpace::kHsv,
       {255, 0, 0},
       {0, 0, 255},
       {{255, 0, 128}, {255, 0, 255}, {128, 0, 255}, {0, 0, 255}}},
      {"hsv black", BlendSpace::kHsv, {0, 0, 0}, {0, 255, 0}, {{64, 128, 64}, {0, 255, 0}}},
      {"hsv arc",
       BlendSpace::kHsv,
       {255, 128, 0},
       {128, 0, 255},
       {{255, 0, 42}, {255, 0, 212}, {128, 0, 255}}},
  };
  for (const auto& c : cases) {
    const PerceptualBlend blend(c.space, c.from, c.to, c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const Channels got = blend.At(i + 1);
      const Channels& want = c.expected[i];
      EXPECT_LE(std::abs(got.red - want.red), 1) << c.name << " " << i;
      EXPECT_LE(std::abs(got.green - want.green), 1) << c.name << " " << i;
      EXPECT_LE(std::abs(got.blue - want.blue), 1) << c.name << " " << i;
    }
  }
  // Through the companion: the cut is the classic one, each segment blended on its own.
  const ToolRun run =
      RunTool({"--defaults", "--markup-only", "--colors", "2", "--color", "1=#FF0000", "--color",
               "2=#0000FF", "--blend", "hsv", "--format", "minecraft", "--", "abcd"});
  EXPECT_EQ(run.out, "&#FF0080a&#FF00FFb&#8000FFc&#0000FFd\n");
}

std::vector<std::string> FadeArgs(std::vector<std::string> extra) {
  std::vector<std::string> args = {"--defaults", "--no-bold", "--markup-only", "--colors",
                                   "3",          "--color",   "1=#000000",     "--color",
                                   "2=#FFFFFF",  "--color",   "3=#000000",     "--format",
                                   "minimessage"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

std::size_t CodePoints(const std::string& s) {
  std::size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// --max-length keeps the first try that fits, in the documented order, and fails whole when
// none does.
TEST(MarkupFormat, MaxLengthTriesInOrder) {
  const std::string text = "a fade   that is long enough to need all tries";
  FadeSettings fade = Fade(3, false);
  fade.colors[0] = "0";
  fade.colors[1] = "16777215";
  fade.colors[2] = "0";
  std::vector<std::string> tries;
  const auto add = [&](bool merge, bool skip, int levels) {
    MarkupOptions options = Format(MarkupFormat::kMinimessage, merge, skip);
    options.levels = levels;
    tries.push_back(Document(fade, text, options));
  };
  add(false, false, 256);
  add(true, false, 256);
  add(true, true, 256);
  for (int levels : {16, 8, 4, 3, 2}) add(true, true, levels);
  for (std::size_t k = 0; k < tries.size(); ++k) {
    // The longest length that the earlier tries miss but this one meets.
    std::size_t limit = CodePoints(tries[k]);
    bool earlierFits = false;
    for (std::size_t j = 0; j < k; ++j) earlierFits |= CodePoints(tries[j]) <= limit;
    if (earlierFits) continue;
    const ToolRun run = RunTool(FadeArgs({"--max-length", std::to_string(limit), "--", text}));
    EXPECT_EQ(run.status, 0) << k;
    EXPECT_EQ(run.out, tries[k] + "\n") << k;
  }
  const std::size_t shortest = CodePoints(tries.back());
  const ToolRun tooLong =
      RunTool(FadeArgs({"--max-length", std::to_string(shortest - 1), "--", text}));
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_EQ(tooLong.out, "");
  EXPECT_EQ(tooLong.err, "tintrix-fade: The shortest document made is " + std::to_string(shortest) +
                             " characters long, more than " + "--max-length " +
                             std::to_string(shortest - 1) + "\n");
}

TEST(MarkupFormat, StatsAndUsageErrors) {
  const ToolRun stats = RunTool(FadeArgs({"--merge", "--stats", "--", "aé"}));
  EXPECT_EQ(stats.status, 0);
  EXPECT_EQ(stats.err, "tintrix-fade: " + std::to_string(CodePoints(stats.out) - 1) +
                           " characters, " + std::to_string(stats.out.size() - 1) +
                           " bytes, 2 colour tags\n");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--format", "rtf"},
                                               {"--format=HTML"},
                                               {"--blend", "lab"},
                                               {"--max-length", "-1"},
                                               {"--max-length", "1.5"},
                                               {"--max-length="},
                                               {"--merge=1"}}) {
    std::vector<std::string> all = args;
    all.push_back("x");
    const ToolRun run = RunTool(all);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
  }
}

}  // namespace
}  // namespace tintrix
