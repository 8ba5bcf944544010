#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "output/fadedocument.h"
#include "output/outputcommands.h"
#include "output/randomfades.h"
#include "tests/fakedesktop.h"
#include "tests/smalldisk.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;
using testing::Message;
using testing::ScriptedRandom;

std::string ReadFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll().toStdString();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string Document(const FadeSettings& fade) {
  const StatusOr<std::string> document = BuildFadeDocument(fade, {});
  EXPECT_TRUE(document.ok()) << document.status().message();
  return document.ok() ? *document : std::string();
}

constexpr const char* kBlueAb = "<Font Color=#000080>a<Font Color=#0000FF>b";

FadeSettings TwoColorFade(const std::string& text) {
  FadeSettings fade = DefaultFade();
  fade.colorCount = "2";
  fade.text = text;
  return fade;
}

TEST(BuildFadeDocument, WrapsInStyleAndFontTags) {
  const struct {
    const char* name;
    int bold, italic, underlined;
    const char* font;
    std::string expected;
  } cases[] = {
      {"bold only", 1, 0, 0, "Arial",
       std::string("<font face=\"Arial\"><b>") + kBlueAb + "</b></font>"},
      {"all three nest bold innermost", 1, 1, 1, "Arial",
       std::string("<font face=\"Arial\"><u><i><b>") + kBlueAb + "</b></i></u></font>"},
      {"bold and underline", 1, 0, 1, "Arial",
       std::string("<font face=\"Arial\"><u><b>") + kBlueAb + "</b></u></font>"},
      {"greyed styles are off", 2, 2, 2, "Arial",
       std::string("<font face=\"Arial\">") + kBlueAb + "</font>"},
      {"empty font", 0, 0, 0, "", std::string("<font face=\"\">") + kBlueAb + "</font>"},
      {"a font's markup characters stay in its attribute", 0, 1, 0,
       "x\"><img src=x onerror=\"document.title='pwned'\">&",
       std::string("<font face=\"x&quot;&gt;&lt;img src=x onerror=&quot;document.title='pwned'"
                   "&quot;&gt;&amp;\"><i>") +
           kBlueAb + "</i></font>"},
  };
  for (const auto& c : cases) {
    FadeSettings fade = TwoColorFade("ab");
    fade.bold = c.bold;
    fade.italic = c.italic;
    fade.underlined = c.underlined;
    fade.font = c.font;
    EXPECT_EQ(Document(fade), c.expected) << c.name;
  }
}

TEST(BuildFadeDocument, CountOutsideTheFiveGivesAnEmptyFade) {
  for (const char* count : {"6", "2.5", "0", "-2", "1", "11"}) {
    FadeSettings fade = DefaultFade();
    fade.colorCount = count;
    fade.text = "some text";
    fade.colors[0] = "not even checked";
    EXPECT_EQ(Document(fade), "<font face=\"Arial\"><b></b></font>") << count;
  }
}

TEST(BuildFadeDocument, CountTextSelectsItsRequest) {
  FadeSettings fade = TwoColorFade("ab");
  const std::string expected = Document(fade);
  for (const char* count : {" 2 ", "02", "2.0", "+2"}) {
    fade.colorCount = count;
    EXPECT_EQ(Document(fade), expected) << count;
  }
  // 10 colours reach colour 10; 2 colours ignore the rest
  FadeSettings ten = DefaultFade();
  ten.colorCount = "10";
  ten.colors[9] = "255";
  ten.text = std::string(9, 'x');
  EXPECT_NE(Document(ten).find("FF0000>x</b>"), std::string::npos);
}

TEST(BuildFadeDocument, WavyOnForEveryValueButZero) {
  for (int wavy : {0, 1, 2}) {
    FadeSettings fade = TwoColorFade("abcdef");
    fade.wavy = wavy;
    ScriptedRandom random({0.1});  // always lowered
    FadeHooks hooks;
    hooks.wave = &random;
    const StatusOr<std::string> document = BuildFadeDocument(fade, hooks);
    ASSERT_TRUE(document.ok());
    EXPECT_EQ(document->find("<SUB>") != std::string::npos, wavy != 0) << wavy;
  }
}

TEST(BuildFadeDocument, RefusesWhatCannotBeFaded) {
  const struct {
    const char* count;
    const char* color2;
    const char* message;
  } cases[] = {
      {"five", "0", "The number of colours is not a number: \"five\""},
      {"", "0", "The number of colours is not a number: \"\""},
      {"2", "", "Colour 2 is not set"},
      {"2", " 12x", "Colour 2 is not a valid colour value: \" 12x\""},
  };
  for (const auto& c : cases) {
    FadeSettings fade = DefaultFade();
    fade.colorCount = c.count;
    fade.colors[1] = c.color2;
    fade.text = "ab";
    const StatusOr<std::string> document = BuildFadeDocument(fade, {});
    EXPECT_FALSE(document.ok());
    EXPECT_EQ(document.status().message(), c.message);
  }
}

class OutputCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { QFile::remove(QString::fromStdString(OutputFilePath())); }

  FakeDesktop desktop;
};

TEST_F(OutputCommandTest, MakeHtmlWritesOneLineConfirmsAndEmptiesTheText) {
  EXPECT_EQ(QFileInfo(QString::fromStdString(OutputFilePath())).absolutePath(), QDir::homePath());
  WriteFile(OutputFilePath(), std::string(5000, 'o'));  // longer than the new document
  FadeSettings fade = TwoColorFade("ab");
  const std::string expected = Document(fade) + "\n";
  MakeHtmlFile(fade, desktop);
  EXPECT_EQ(ReadFile(OutputFilePath()), expected);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0], (Message{"File saved as C:\\output.htm", "Tintrix 1.0",
                                          MessageIcon::None, OutputFilePath()}));
  EXPECT_EQ(fade.text, "");
  EXPECT_EQ(fade.colorCount, "2");

  // right after, the text is empty: a second run does nothing
  QFile::remove(QString::fromStdString(OutputFilePath()));
  MakeHtmlFile(fade, desktop);
  EXPECT_EQ(ReadFile(OutputFilePath()), "<missing>");
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(OutputCommandTest, MakeHtmlFadesABlank) {
  FadeSettings fade = DefaultFade();
  fade.text = " ";
  MakeHtmlFile(fade, desktop);
  EXPECT_EQ(ReadFile(OutputFilePath()),
            "<font face=\"Arial\"><b><Font Color=#0000FF> </b></font>\n");
  EXPECT_EQ(fade.text, "");
}

TEST_F(OutputCommandTest, MakeHtmlWritesUtf8) {
  FadeSettings fade = TwoColorFade("\xC3\xA9\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA");
  MakeHtmlFile(fade, desktop);
  EXPECT_EQ(ReadFile(OutputFilePath()),
            "<font face=\"Arial\"><b><Font Color=#000080>\xC3\xA9<Font Color=#0000FF>"
            "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA</b></font>\n");
}

TEST_F(OutputCommandTest, RefusalsLeaveFileAndTextAlone) {
  const struct {
    const char* name;
    void (*change)(FadeSettings&);
    const char* message;
  } cases[] = {
      {"bad colour", [](FadeSettings& f) { f.colors[2] = "12.5"; },
       "Colour 3 is not a valid colour value: \"12.5\""},
      {"bad count", [](FadeSettings& f) { f.colorCount = "many"; },
       "The number of colours is not a number: \"many\""},
  };
  for (const auto& c : cases) {
    WriteFile(OutputFilePath(), "old");
    FadeSettings fade = DefaultFade();
    fade.text = "keep me";
    c.change(fade);
    for (auto command : {&MakeHtmlFile, &CopyToClipboard}) {
      desktop.messages.clear();
      desktop.clipboard.reset();
      command(fade, desktop);
      EXPECT_EQ(desktop.messages,
                (std::vector<Message>{{c.message, "Error", MessageIcon::Critical, ""}}))
          << c.name;
      EXPECT_EQ(fade.text, "keep me") << c.name;
      EXPECT_EQ(desktop.clipboard, std::nullopt) << c.name;
      EXPECT_EQ(ReadFile(OutputFilePath()), "old") << c.name;
    }
  }
}

TEST_F(OutputCommandTest, MakeHtmlReportsAFailedWriteAndKeepsTheText) {
  // A home folder below a regular file cannot hold the output file, whoever runs the test.
  const QByteArray home = qgetenv("HOME");
  const std::string blocker = home.toStdString() + "/not-a-folder";
  WriteFile(blocker, "x");
  qputenv("HOME", QByteArray::fromStdString(blocker + "/home"));
  FadeSettings fade = TwoColorFade("ab");
  MakeHtmlFile(fade, desktop);
  const std::string path = OutputFilePath();
  qputenv("HOME", home);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text.rfind("Could not write " + path + ": ", 0), 0u)
      << desktop.messages[0].text;
  EXPECT_GT(desktop.messages[0].text.size(), ("Could not write " + path + ": ").size());
  EXPECT_EQ(desktop.messages[0].title, "Error");
  EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(fade.text, "ab");
}

TEST_F(OutputCommandTest, MakeHtmlOnAFullDiskKeepsTheOldFileAndTheText) {
  TINTRIX_SMALL_DISK(disk);
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", QByteArray::fromStdString(disk->path()));
  const std::string path = OutputFilePath();
  WriteFile(path, "old page\n");
  disk->Fill();
  // Below and above the 16 KiB a buffered writer would hold back.
  for (const std::size_t characters : {5u, 2000u}) {
    desktop.messages.clear();
    FadeSettings fade = TwoColorFade(std::string(characters, 'x'));
    MakeHtmlFile(fade, desktop);
    EXPECT_EQ(desktop.messages,
              (std::vector<Message>{{"Could not write " + path + ": No space left on device",
                                     "Error", MessageIcon::Critical, ""}}));
    EXPECT_EQ(ReadFile(path), "old page\n");
    EXPECT_EQ(fade.text, std::string(characters, 'x'));
  }
  qputenv("HOME", home);
}

// A desktop whose event loop runs out of memory, as a fade too long for it would.
class ExhaustedDesktop final : public FakeDesktop {
 public:
  void LetPendingEventsRun() override { throw std::bad_alloc(); }
};

TEST_F(OutputCommandTest, RunningOutOfMemoryIsAnErrorThatKeepsTheText) {
  WriteFile(OutputFilePath(), "old");
  for (auto command : {&MakeHtmlFile, &CopyToClipboard}) {
    ExhaustedDesktop exhausted;
    FadeSettings fade = DefaultFade();  // five colours: the dealing lets events run
    fade.text = "keep me";
    command(fade, exhausted);
    EXPECT_EQ(exhausted.messages, (std::vector<Message>{{"Out of memory while making the fade",
                                                         "Error", MessageIcon::Critical, ""}}));
    EXPECT_EQ(exhausted.clipboard, std::nullopt);
    EXPECT_EQ(fade.text, "keep me");
  }
  EXPECT_EQ(ReadFile(OutputFilePath()), "old");
}

TEST_F(OutputCommandTest, ClipboardGetsTheSameDocumentWithoutALineBreak) {
  FadeSettings fade = TwoColorFade("ab");
  FadeSettings same = fade;
  MakeHtmlFile(same, desktop);
  CopyToClipboard(fade, desktop);
  EXPECT_EQ(desktop.clipboard.value() + "\n", ReadFile(OutputFilePath()));
  EXPECT_EQ(fade.text, "");
  EXPECT_EQ(desktop.messages.size(), 1u);  // only Make HTML File's confirmation

  // an empty text still goes to the clipboard, with the wrapper tags
  fade.colorCount = "6";
  CopyToClipboard(fade, desktop);
  EXPECT_EQ(desktop.clipboard, "<font face=\"Arial\"><b></b></font>");
}

TEST_F(OutputCommandTest, LongFadesLetEventsRunWhileDealing) {
  FadeSettings fade = DefaultFade();  // five colours: four counts
  fade.text = std::string(4001, 'x');
  CopyToClipboard(fade, desktop);
  EXPECT_EQ(desktop.eventRuns, 1001);
}

TEST_F(OutputCommandTest, LongFadesOfTwoAndThreeColoursLetEventsRunToo) {
  for (const char* count : {"2", "3"}) {
    FakeDesktop fresh;
    FadeSettings fade = DefaultFade();
    fade.colorCount = count;
    fade.text = std::string(200000, 'x');
    CopyToClipboard(fade, fresh);
    EXPECT_GE(fresh.eventRuns, 3) << count;  // at least every 65,536 characters
  }
}

// A desktop whose event loop changes the fade, as typing or the configuration dialog may while
// a long fade is made.
class BusyDesktop final : public FakeDesktop {
 public:
  explicit BusyDesktop(FadeSettings& fade) : m_fade(fade) {}
  void LetPendingEventsRun() override {
    m_fade.text.assign(100000, 'z');  // moves the text elsewhere
    m_fade.bold = 0;
    m_fade.underlined = 1;
    m_fade.colors[0] = "junk";
  }

 private:
  FadeSettings& m_fade;
};

TEST_F(OutputCommandTest, EventsDuringTheFadeDoNotChangeIt) {
  FadeSettings fade = DefaultFade();
  fade.text = std::string(5000, 'a') + "\xC3\xA9";
  FadeSettings before = fade;
  const std::string expected = Document(before);
  BusyDesktop desktop(fade);
  CopyToClipboard(fade, desktop);
  EXPECT_EQ(desktop.clipboard, expected);
  EXPECT_EQ(fade.text, "");
}

TEST(RandomFade, ReplacesTheFirstColorsAndTheCountOnly) {
  for (int count : kFadeColorCounts) {
    FakeDesktop desktop;
    desktop.random = ScriptedRandom({0.0, 0.999999999, 0.5, 0.25});
    FadeSettings fade = DefaultFade();
    fade.text = "typed";
    fade.wavy = 2;
    for (std::size_t k = 0; k < 10; ++k) fade.colors[k] = "old" + std::to_string(k);
    FadeSettings expected = fade;
    const char* drawn[] = {"0", "16777212", "8388606", "4194303"};
    for (int k = 0; k < count; ++k) expected.colors[k] = drawn[std::min(k, 3)];
    expected.colorCount = std::to_string(count);
    RandomFade(fade, desktop, *ColorCount::Of(count));
    EXPECT_EQ(fade, expected) << count;
    EXPECT_EQ(desktop.random.reseeds, 1);
    EXPECT_EQ(desktop.random.draws, count);
    EXPECT_TRUE(desktop.messages.empty());
  }
}

TEST(RandomFade, TenThenTwoKeepsTheLaterColorsOfTheTen) {
  FakeDesktop desktop;
  desktop.random = ScriptedRandom({0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 0.01, 0.02});
  FadeSettings fade = DefaultFade();
  RandomFade(fade, desktop, *ColorCount::Of(10));
  const FadeSettings afterTen = fade;
  RandomFade(fade, desktop, *ColorCount::Of(2));
  EXPECT_EQ(fade.colorCount, "2");
  EXPECT_EQ(fade.colors[0], "167772");  // floor(0.01 * 16777213)
  EXPECT_EQ(fade.colors[1], "335544");
  for (std::size_t k = 2; k < 10; ++k) EXPECT_EQ(fade.colors[k], afterTen.colors[k]) << k;
}

TEST(ClockSeededRandom, FractionsStayBelowOneAndReseedingChangesTheSequence) {
  ClockSeededRandom random;
  double first = random.NextFraction();
  for (int i = 0; i < 100000; ++i) {
    const double r = random.NextFraction();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
  random.ReseedFromClock();
  EXPECT_NE(random.NextFraction(), first);
  ClockSeededRandom a(99), b(99);
  EXPECT_EQ(a.NextFraction(), b.NextFraction());
}

}  // namespace
}  // namespace tintrix
