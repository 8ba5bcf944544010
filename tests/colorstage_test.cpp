#include "cli/colorstage.h"

#include <gtest/gtest.h>

#include <regex>

#include "engine/contrast.h"
#include "tests/runtool.h"

namespace tintrix {
namespace {

using testing::RunTool;
using testing::ToolRun;

const std::vector<std::string> kFade = {"--defaults", "--no-bold", "--markup-only", "--colors",
                                        "3"};

std::vector<std::string> With(std::vector<std::string> args) {
  args.insert(args.begin(), kFade.begin(), kFade.end());
  return args;
}

// The colours of a classic document, one per character, in order.
std::vector<Channels> Colors(const std::string& document) {
  static const std::regex tag("<Font Color=#([0-9A-F]{6})>");
  std::vector<Channels> colors;
  for (std::sregex_iterator it(document.begin(), document.end(), tag), end; it != end; ++it) {
    const auto rgb = static_cast<std::uint32_t>(std::stoul((*it)[1], nullptr, 16));
    colors.push_back({static_cast<int>(rgb >> 16), static_cast<int>(rgb >> 8 & 0xFF),
                      static_cast<int>(rgb & 0xFF)});
  }
  return colors;
}

// A colour by name, #RGB or #RRGGBB is the colour of its decimal value; without a position the
// document is the one the count's cut makes.
TEST(ColorStage, TakesColoursByNameAndShortHex) {
  const std::string text = "Stops where you put them";
  const ToolRun decimal = RunTool(
      With({"--color", "1=10040166", "--color", "2=65535", "--color", "3=16711935", "--", text}));
  ASSERT_EQ(decimal.status, 0) << decimal.err;
  for (const auto& colors : {std::vector<std::string>{"1=RebeccaPurple", "2=YELLOW", "3=fuchsia"},
                             std::vector<std::string>{"1=#639", "2=#ff0", "3=#F0F"},
                             std::vector<std::string>{"1=#663399", "2=#FFFF00", "3=magenta"}}) {
    EXPECT_EQ(RunTool(With({"--color", colors[0], "--color", colors[1], "--color", colors[2], "--",
                            text}))
                  .out,
              decimal.out)
        << colors[0];
  }
}

TEST(ColorStage, RefusesWhatIsNoColourPositionOrRatio) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {{"--color", "2=red@60", "--color", "3=blue@40"},
       2,
       "tintrix-fade: colour 3 at 40% is before colour 2 at 60%\n"},
      {{"--color", "1=red@12.25"},
       2,
       "tintrix-fade: --color: \"12.25\" is not a position from 0 to 100 with at most one "
       "decimal\n"},
      {{"--color", "1=red@101"},
       2,
       "tintrix-fade: --color: \"101\" is not a position from 0 to 100 with at most one "
       "decimal\n"},
      {{"--color", "1=#f0"},
       2,
       "tintrix-fade: --color: \"#f0\" is not of the form #RRGGBB or #RGB\n"},
      {{"--color", "1=reddish"},
       1,
       "tintrix-fade: Colour 1 is not a valid colour value: \"reddish\"\n"},
      {{"--background", "paper"},
       2,
       "tintrix-fade: --background takes a colour value, #RRGGBB, #RGB or a colour's name, not "
       "\"paper\"\n"},
      {{"--min-contrast", "4.5"}, 2, "tintrix-fade: --min-contrast needs --background\n"},
      {{"--background", "white", "--min-contrast", "0.5"},
       2,
       "tintrix-fade: --min-contrast takes a contrast ratio from 1 to 21 with at most three "
       "decimals, not \"0.5\"\n"},
      {{"--background", "white", "--min-contrast", "21.5"},
       2,
       "tintrix-fade: --min-contrast takes a contrast ratio from 1 to 21 with at most three "
       "decimals, not \"21.5\"\n"},
      {{"--background", "grey", "--min-contrast", "21"},
       1,
       "tintrix-fade: No colour of any lightness has a contrast of 21.00:1 against #808080\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = With(c.args);
    args.insert(args.end(), {"--", "text"});
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, c.status) << c.message;
    EXPECT_EQ(run.out, "") << c.message;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.message);
  }
}

// In every mode the companion writes, each colour reaches the ratio, those that did are
// unchanged, and --stats tells the lowest ratio and how many characters changed.
TEST(ContrastStage, HoldsInEveryMode) {
  const std::vector<std::string> colors = {"--color",      "1=#FFEE88", "--color",
                                           "2=#3366FF@40", "--color",   "3=gold"};
  const std::string input = "Readable on the page\n  and on the next line\n";
  const struct {
    const char* name;
    std::vector<std::string> args;
    bool merged;  // colour tags for runs, not characters
  } modes[] = {{"lines", {}, false},
               {"merged", {"--merge"}, true},
               {"skipping blanks", {"--merge", "--skip-blanks"}, true},
               {"within a length", {"--max-length", "400"}, true},
               {"a block", {"--block"}, false},
               {"a diagonal block", {"--block=diagonal", "--blend", "oklab"}, false},
               {"frames", {"--frames", "3"}, false}};
  for (const auto& mode : modes) {
    std::vector<std::string> plain = With(colors);
    plain.insert(plain.end(), mode.args.begin(), mode.args.end());
    std::vector<std::string> raised = plain;
    raised.insert(raised.end(), {"--background", "white", "--min-contrast", "4.5", "--stats"});
    const ToolRun before = RunTool(plain, input), after = RunTool(raised, input);
    ASSERT_EQ(after.status, 0) << mode.name << after.err;
    const std::vector<Channels> was = Colors(before.out), is = Colors(after.out);
    std::size_t changed = 0;
    double lowest = 21;
    for (std::size_t i = 0; i < is.size(); ++i) {
      const double ratio = ContrastRatio(is[i], {255, 255, 255});
      EXPECT_GE(ratio, 4.5 - 1e-9) << mode.name << " " << i;
      lowest = std::min(lowest, ratio);
      if (mode.merged) continue;
      ASSERT_EQ(was.size(), is.size()) << mode.name;
      if (ContrastRatio(was[i], {255, 255, 255}) >= 4.5) {
        EXPECT_EQ(is[i], was[i]) << mode.name << " " << i;
      } else {
        ++changed;
      }
    }
    if (mode.merged) {
      EXPECT_NE(after.err.find(", lowest contrast "), std::string::npos) << after.err;
      continue;
    }
    EXPECT_GT(changed, 0u) << mode.name;
    EXPECT_NE(
        after.err.find(", lowest contrast " + ContrastRatioText(lowest) + ":1 against #FFFFFF, " +
                       std::to_string(changed) + " characters changed\n"),
        std::string::npos)
        << mode.name << ": " << after.err;
  }
}

// --max-length's tries with fewer levels per channel can move a raised colour below the
// contrast again: such a try is passed over, and when nothing else fits the message says why.
// What --stats says is the colours written.
TEST(ContrastStage, FewerLevelsKeepTheContrast) {
  bool reduced = false, refused = false;
  for (const char* limit : {"400", "300", "200", "150", "100"}) {
    const ToolRun run = RunTool(
        With({"--color", "1=#FFEE88", "--color", "2=#3366FF@40", "--color", "3=gold",
              "--background", "white", "--min-contrast", "4.5", "--stats", "--max-length", limit}),
        "Readable on the page\n");
    if (run.status != 0) {
      EXPECT_EQ(run.status, 1) << limit;
      refused |= run.err.find("falls below the contrast of 4.50:1") != std::string::npos;
      continue;
    }
    const std::vector<Channels> colors = Colors(run.out);
    double lowest = 21;
    for (const Channels& color : colors) {
      lowest = std::min(lowest, ContrastRatio(color, {255, 255, 255}));
    }
    EXPECT_GE(lowest, 4.5 - 1e-9) << limit;
    EXPECT_NE(run.err.find(", lowest contrast " + ContrastRatioText(lowest) + ":1"),
              std::string::npos)
        << limit << ": " << run.err;
    reduced |= colors.size() < 10;
  }
  EXPECT_TRUE(reduced);
  EXPECT_TRUE(refused);
}

TEST(ContrastStage, WritesRatiosRoundedDown) {
  EXPECT_EQ(ContrastRatioText(4.4999999999), "4.50");
  EXPECT_EQ(ContrastRatioText(4.499), "4.49");
  EXPECT_EQ(ContrastRatioText(21.0), "21.00");
  EXPECT_EQ(ContrastRatioText(1.0), "1.00");
}

}  // namespace
}  // namespace tintrix
