#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include "store/settingsstore.h"

namespace tintrix {
namespace {

// Each test starts from an empty store in the test's own configuration folder.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { QFile::remove(QString::fromStdString(QtSettingsStore().Location())); }

  FadeSettings Load() {
    QtSettingsStore store;
    FadeSettings fade;
    fade.TextToFade = "untouched";
    LoadFadeSettings(fade, store);
    EXPECT_EQ(fade.TextToFade, "untouched");
    return fade;
  }

  void Save(const FadeSettings& fade) {
    QtSettingsStore store;
    const Status status = SaveFadeSettings(fade, store);
    ASSERT_TRUE(status.ok()) << status.message();
  }

  void Store(const char* key, const char* text) {
    QtSettingsStore store;
    store.Write(key, text);
    ASSERT_TRUE(store.Sync());
  }
};

TEST_F(SettingsStoreTest, LivesInTheConfigurationFolder) {
  EXPECT_EQ(QtSettingsStore().Location(),
            qgetenv("XDG_CONFIG_HOME").toStdString() + "/Tintrix/Tintrix.conf");
}

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaultFade) {
  const FadeSettings fade = Load();
  const std::array<std::string, 10> colors = {"0", "16711680", "12615808", "16744703", "0",
                                              "0", "16711680", "12615808", "16744703", "0"};
  EXPECT_EQ(fade.Colors, colors);
  EXPECT_EQ(fade.WaVy, 0);
  EXPECT_EQ(fade.Bold, 1);
  EXPECT_EQ(fade.Italic, 0);
  EXPECT_EQ(fade.Underlined, 0);
  EXPECT_EQ(fade.Font, "Arial");
  EXPECT_EQ(fade.NumberColors, "5");
}

TEST_F(SettingsStoreTest, SavesEveryKeyUnderFaderAsText) {
  FadeSettings fade = DefaultFade();
  fade.Colors[2] = "";
  fade.Colors[4] = "not a colour";
  fade.Font = "  ";
  fade.NumberColors = "05";
  fade.WaVy = 2;
  fade.TextToFade = "never stored";
  Save(fade);
  QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Tintrix", "Tintrix");
  EXPECT_EQ(raw.allKeys().size(), 16);
  EXPECT_EQ(raw.value("Fader/Color3").toString(), "");
  EXPECT_EQ(raw.value("Fader/WaVy").toString(), "2");
  EXPECT_EQ(raw.value("Fader/NumberColors").toString(), "05");
  FadeSettings loaded = Load();
  fade.TextToFade = "untouched";
  EXPECT_EQ(loaded, fade);
}

TEST_F(SettingsStoreTest, EveryStyleCombinationRoundTrips) {
  for (int bits = 0; bits < 81; ++bits) {  // 0, 1, 2 for each of the four flags
    FadeSettings fade = DefaultFade();
    fade.WaVy = bits % 3;
    fade.Bold = bits / 3 % 3;
    fade.Italic = bits / 9 % 3;
    fade.Underlined = bits / 27 % 3;
    Save(fade);
    FadeSettings loaded = Load();
    loaded.TextToFade.clear();
    EXPECT_EQ(loaded, fade) << bits;
  }
}

TEST_F(SettingsStoreTest, EmptyFontBecomesArialButOtherEmptiesStay) {
  Store("Font", "");
  Store("Color3", "");
  Store("NumberColors", "");
  const FadeSettings fade = Load();
  EXPECT_EQ(fade.Font, "Arial");
  EXPECT_EQ(fade.Colors[2], "");
  EXPECT_EQ(fade.NumberColors, "");
  Save(fade);
  EXPECT_EQ(Load().Font, "Arial");
}

TEST_F(SettingsStoreTest, HandEditedValuesWithCommasKeepTheirText) {
  const QString path = QString::fromStdString(QtSettingsStore().Location());
  QDir().mkpath(path.section('/', 0, -2));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[Fader]\nFont=Arial, Helvetica\n");
  file.close();
  EXPECT_EQ(Load().Font, "Arial, Helvetica");
}

TEST_F(SettingsStoreTest, UnusableStyleValuesLoadAsTheirDefaults) {
  const struct {
    const char* text;
    int bold;  // default 1
  } cases[] = {{"0", 0}, {"2", 2}, {" 1 ", 1}, {"3", 1},   {"-1", 1},
               {"", 1},  {"x", 1}, {"1.0", 1}, {"0x0", 1}, {"99999999999", 1}};
  for (const auto& c : cases) {
    Store("Bold", c.text);
    EXPECT_EQ(Load().Bold, c.bold) << '"' << c.text << '"';
  }
}

TEST_F(SettingsStoreTest, ReportsAStoreThatCannotBeWritten) {
  // the configuration folder's place is taken by a regular file
  QtSettingsStore probe;
  const QString folder = QString::fromStdString(probe.Location()).section('/', 0, -2);
  QFile::remove(QString::fromStdString(probe.Location()));
  QDir(folder).removeRecursively();
  QDir().mkpath(folder.section('/', 0, -2));
  {
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  QtSettingsStore store;
  const Status status = SaveFadeSettings(DefaultFade(), store);
  QFile::remove(folder);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.message(), "Could not save the settings to " + store.Location());
}

}  // namespace
}  // namespace tintrix
