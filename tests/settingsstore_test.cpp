#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "engine/text.h"
#include "store/settingsfile.h"
#include "store/settingsstore.h"
#include "tests/smalldisk.h"

namespace tintrix {
namespace {

// Each test starts from an empty store in the test's own configuration folder.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { QFile::remove(QString::fromStdString(FileSettingsStore().Location())); }

  FadeSettings Load() {
    FileSettingsStore store;
    FadeSettings fade;
    fade.text = "untouched";
    LoadFadeSettings(fade, store);
    EXPECT_EQ(fade.text, "untouched");
    return fade;
  }

  void Save(const FadeSettings& fade) {
    FileSettingsStore store;
    const Status status = SaveFadeSettings(fade, store);
    ASSERT_TRUE(status.ok()) << status.message();
  }

  void Store(const char* key, const char* text) {
    FileSettingsStore store;
    store.Write(key, text);
    ASSERT_TRUE(store.Sync().ok());
  }
};

TEST_F(SettingsStoreTest, LivesInTheConfigurationFolder) {
  EXPECT_EQ(FileSettingsStore().Location(),
            qgetenv("XDG_CONFIG_HOME").toStdString() + "/Tintrix/Tintrix.conf");
}

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaultFade) {
  const FadeSettings fade = Load();
  const decltype(FadeSettings::colors) colors = {"0", "16711680", "12615808", "16744703", "0",
                                                 "0", "16711680", "12615808", "16744703", "0"};
  EXPECT_EQ(fade.colors, colors);
  EXPECT_EQ(fade.wavy, 0);
  EXPECT_EQ(fade.bold, 1);
  EXPECT_EQ(fade.italic, 0);
  EXPECT_EQ(fade.underlined, 0);
  EXPECT_EQ(fade.font, "Arial");
  EXPECT_EQ(fade.colorCount, "5");
}

TEST_F(SettingsStoreTest, SavesEveryKeyUnderFaderAsText) {
  FadeSettings fade = DefaultFade();
  fade.colors[2] = "";
  fade.colors[4] = "not a colour";
  fade.font = "  ";
  fade.colorCount = "05";
  fade.wavy = 2;
  fade.text = "never stored";
  Save(fade);
  QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Tintrix", "Tintrix");
  EXPECT_EQ(raw.allKeys().size(), 16);
  EXPECT_EQ(raw.value("Fader/Color3").toString(), "");
  EXPECT_EQ(raw.value("Fader/WaVy").toString(), "2");
  EXPECT_EQ(raw.value("Fader/NumberColors").toString(), "05");
  FadeSettings loaded = Load();
  fade.text = "untouched";
  EXPECT_EQ(loaded, fade);
}

TEST_F(SettingsStoreTest, EveryStyleCombinationRoundTrips) {
  for (int bits = 0; bits < 81; ++bits) {  // 0, 1, 2 for each of the four flags
    FadeSettings fade = DefaultFade();
    fade.wavy = bits % 3;
    fade.bold = bits / 3 % 3;
    fade.italic = bits / 9 % 3;
    fade.underlined = bits / 27 % 3;
    Save(fade);
    FadeSettings loaded = Load();
    loaded.text.clear();
    EXPECT_EQ(loaded, fade) << bits;
  }
}

TEST_F(SettingsStoreTest, EmptyFontBecomesArialButOtherEmptiesStay) {
  Store("Font", "");
  Store("Color3", "");
  Store("NumberColors", "");
  const FadeSettings fade = Load();
  EXPECT_EQ(fade.font, "Arial");
  EXPECT_EQ(fade.colors[2], "");
  EXPECT_EQ(fade.colorCount, "");
  Save(fade);
  EXPECT_EQ(Load().font, "Arial");
}

TEST_F(SettingsStoreTest, HandEditedValuesWithCommasKeepTheirText) {
  const QString path = QString::fromStdString(FileSettingsStore().Location());
  QDir().mkpath(path.section('/', 0, -2));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[Fader]\nFont=Arial, Helvetica\n");
  file.close();
  EXPECT_EQ(Load().font, "Arial, Helvetica");
}

TEST_F(SettingsStoreTest, UnusableStyleValuesLoadAsTheirDefaults) {
  const struct {
    const char* text;
    int bold;  // default 1
  } cases[] = {{"0", 0}, {"2", 2}, {" 1 ", 1}, {"3", 1},   {"-1", 1},
               {"", 1},  {"x", 1}, {"1.0", 1}, {"0x0", 1}, {"99999999999", 1}};
  for (const auto& c : cases) {
    Store("Bold", c.text);
    EXPECT_EQ(Load().bold, c.bold) << '"' << c.text << '"';
  }
}

TEST_F(SettingsStoreTest, ReportsAStoreThatCannotBeWritten) {
  // the configuration folder's place is taken by a regular file
  FileSettingsStore probe;
  const QString folder = QString::fromStdString(probe.Location()).section('/', 0, -2);
  QFile::remove(QString::fromStdString(probe.Location()));
  QDir(folder).removeRecursively();
  QDir().mkpath(folder.section('/', 0, -2));
  {
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  FileSettingsStore store;
  const Status status = SaveFadeSettings(DefaultFade(), store);
  QFile::remove(folder);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.message(),
            "Could not save the settings to " + store.Location() + ": Not a directory");
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

using testing::FileBytes;
using testing::PutFile;

// A folder of its own for each file, so that no two QSettings objects share a cached file.
std::string FreshPath(const std::string& name) {
  static int counter = 0;
  const std::string folder =
      std::string(getenv("HOME")) + "/store" + std::to_string(++counter) + "/Tintrix";
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

std::vector<std::string> NastyTexts() {
  std::vector<std::string> texts = {
      "",
      " lead",
      "trail ",
      "Arial, Helvetica",
      "a;b",
      "x=y",
      "\"q\"",
      "back\\slash",
      "@at",
      "@@twice",
      "tab\t",
      "\x01\x02"
      "9f",
      "line\nbr",
      "Caf\xC3\xA9 \xE2\x82\xAC",
      "\xF0\x9F\x8E\xA8",
      "@Invalid",
      "; c",
      "#",
      "[x]",
      "  ",
      "\x7F",
      "a,",
      ",",
      "\\x41",
  };
  std::mt19937 random(7);
  const std::string alphabet =
      " ,;=\"\\@#[]\t\nab\xC3\xA9"
      "09xX";
  for (int n = 0; n < 200; ++n) {
    std::string text;
    for (std::size_t k = random() % 12; k > 0; --k) text += alphabet[random() % alphabet.size()];
    if (IsValidUtf8(text)) texts.push_back(text);
  }
  return texts;
}

TEST(SettingsFileTest, ValuesReadAsQSettingsReadsThemInBothDirections) {
  for (const std::string& text : NastyTexts()) {
    SCOPED_TRACE(::testing::PrintToString(text));
    const std::string ours = FreshPath("ours.conf");
    FileSettingsStore store(ours);
    store.Write("Font", text);
    ASSERT_TRUE(store.Sync().ok());
    QSettings qt(QString::fromStdString(ours), QSettings::IniFormat);
    EXPECT_EQ(qt.status(), QSettings::NoError);
    const QVariant read = qt.value("Fader/Font");
    const QString shown = read.typeId() == QMetaType::QStringList
                              ? read.toStringList().join(QStringLiteral(", "))
                              : read.toString();
    EXPECT_EQ(shown.toStdString(), text);

    const std::string theirs = FreshPath("theirs.conf");
    {
      QSettings writer(QString::fromStdString(theirs), QSettings::IniFormat);
      writer.setValue("Fader/Font", QString::fromStdString(text));
    }
    EXPECT_EQ(FileSettingsStore(theirs).Read("Font"), text);
  }
}

TEST(SettingsFileTest, ASaveKeepsEveryOtherByte) {
  const std::string path = FreshPath("kept.conf");
  const std::string before =
      "; hand-written\n[General]\nlang=fr\n\n[Fader]\nBold=0 ; a note\nExtra=\"a,\n b\"\n"
      "Color1=1\n[Other]\nColor1=7\n";
  PutFile(path, before);
  FileSettingsStore store(path);
  EXPECT_EQ(store.Read("Bold"), "0");
  store.Write("Color1", "255");
  store.Write("Bold", "1");
  store.Write("Font", "Times, serif");
  ASSERT_TRUE(store.Sync().ok());
  EXPECT_EQ(FileBytes(path),
            "; hand-written\n[General]\nlang=fr\n\n[Fader]\nBold=1 ; a note\nExtra=\"a,\n b\"\n"
            "Color1=255\nFont=\"Times, serif\"\n[Other]\nColor1=7\n");
  EXPECT_FALSE(std::filesystem::exists(store.DamagedLocation()));
}

TEST(SettingsFileTest, ADamagedFileIsKeptAsideAndItsSaveReportsNoError) {
  const std::string path = FreshPath("Tintrix.conf");
  const std::string damaged = "[Fader]\nBold=1\nColor1=255\nNumberColors=3\n[broken\n";
  PutFile(path, damaged);
  PutFile(path + ".damaged", "an older one");
  FileSettingsStore store(path);
  FadeSettings fade;
  LoadFadeSettings(fade, store);
  EXPECT_EQ(fade.colors[0], "255");
  EXPECT_EQ(fade.colorCount, "3");
  fade.italic = 1;
  const Status saved = SaveFadeSettings(fade, store);
  EXPECT_TRUE(saved.ok()) << saved.message();
  EXPECT_EQ(FileBytes(path + ".damaged"), damaged);
  EXPECT_TRUE(SettingsFile(FileBytes(path)).clean());
  FadeSettings again;
  FileSettingsStore reread(path);
  LoadFadeSettings(again, reread);
  EXPECT_EQ(again, fade);
}

TEST(SettingsFileTest, AFifoIsNeitherWaitedOnNorLost) {
  const std::string path = FreshPath("Tintrix.conf");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  FileSettingsStore store(path);  // returns at once
  FadeSettings fade;
  LoadFadeSettings(fade, store);
  EXPECT_EQ(fade, DefaultFade());
  ASSERT_TRUE(SaveFadeSettings(fade, store).ok());
  struct stat kept;
  ASSERT_EQ(stat(store.DamagedLocation().c_str(), &kept), 0);
  EXPECT_TRUE(S_ISFIFO(kept.st_mode));
  EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

TEST(SettingsFileTest, AFullDiskKeepsTheStoreAndSaysWhy) {
  TINTRIX_SMALL_DISK(disk);
  // Below and above the 16 KiB a buffered writer would hold back.
  for (const std::size_t other : {0u, 20000u}) {
    SCOPED_TRACE(other);
    const std::string path = disk->File("Tintrix.conf");
    const std::string before = "[Fader]\nBold=0\n[Notes]\nn=" + std::string(other, 'n') + "\n";
    PutFile(path, before);
    FileSettingsStore store(path);
    disk->Fill();
    const Status saved = SaveFadeSettings(DefaultFade(), store);
    EXPECT_EQ(saved.message(),
              "Could not save the settings to " + path + ": No space left on device");
    EXPECT_EQ(FileBytes(path), before);
    disk->Empty();
  }
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

// Files the fuzzer found a value set in them did not read back from.
TEST(SettingsFileTest, AValueSetAlwaysReadsBackOrTheFileIsDamaged) {
  const struct {
    const char* name;
    std::string file;
    bool clean;
  } cases[] = {
      {"open quote at the end", "[General]\nx=\"a,\n", false},
      {"backslash at the end", "[Fader]\nx=1\\", false},
      {"escaped last line break", "[Other]\nx=a\\\r", false},
      {"escaped quote at the end", "[Fader]\nx=\\\"", true},
      {"escaped CR before the next line", std::string("[Fader]\nk=v\\\r\r [x]\nt=1", 23), true},
      {"comment after the last key", "[Fader]\nArial= \nt=c ;F", true},
  };
  for (const auto& c : cases) {
    SettingsFile file(c.file);
    EXPECT_EQ(file.clean(), c.clean) << c.name;
    if (!c.clean) continue;
    file.Set("Fader", "Font", "la");
    EXPECT_EQ(file.Value("Fader", "Font"), "la") << c.name;
    EXPECT_TRUE(file.clean()) << c.name;
  }
}

}  // namespace
}  // namespace tintrix
