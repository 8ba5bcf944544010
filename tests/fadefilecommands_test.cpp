#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "store/fadefilecommands.h"
#include "store/profile.h"
#include "tests/fakedesktop.h"
#include "tests/smalldisk.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;
using testing::Message;

const Message kNoFadeFile{"No Fade File was opened or saved!", "Error", MessageIcon::Critical, ""};

Message FadeInfo(const std::string& name) {
  return {"Fade Info:\r\r" + name, "Tintrix 1.0", MessageIcon::None, ""};
}

std::string ReadBytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<missing>";
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class FadeFileTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return m_dir.filePath(name).toStdString(); }

  void Save(const std::optional<std::string>& name, const std::optional<std::string>& path) {
    desktop.promptAnswers.push_back(name);
    desktop.saveAnswers.push_back(path);
    SaveFade(fade, desktop, current);
  }
  void Open(const std::optional<std::string>& path) {
    desktop.openAnswers.push_back(path);
    OpenFade(fade, desktop, current);
  }
  Message Info() {
    ShowFadeInfo(desktop, current);
    return desktop.messages.back();
  }

  QTemporaryDir m_dir;
  FakeDesktop desktop;
  FadeSettings fade = DefaultFade();
  std::string current;
};

TEST_F(FadeFileTest, SaveWritesTheNamedFadeFile) {
  Save("Sunset", Path("sunset"));
  EXPECT_EQ(desktop.prompts, (std::vector<std::pair<std::string, std::string>>{
                                 {"Please Choose A Name For This Fade.", "Tintrix 1.0"}}));
  EXPECT_EQ(current, Path("sunset"));  // no extension added
  EXPECT_EQ(ReadBytes(Path("sunset")),
            "[Main]\r\nFadeName=Sunset\r\nColor1=0\r\nColor2=16711680\r\nColor3=12615808\r\n"
            "Color4=16744703\r\nColor5=0\r\nColor6=0\r\nColor7=16711680\r\nColor8=12615808\r\n"
            "Color9=16744703\r\nColor10=0\r\nWaVy=0\r\nBold=1\r\nItalic=0\r\nUnderlined=0\r\n"
            "Font=Arial\r\nNumberColors=5\r\n");
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Info(), FadeInfo("Sunset"));
}

TEST_F(FadeFileTest, SaveOverAnExistingFileKeepsItsOtherContent) {
  WriteBytes(Path("old.fad"), "; mine\r\n[Other]\r\nx=1\r\n[main]\r\ncolor1=5\r\nExtra=yes\r\n");
  fade.colors[0] = "7";
  Save("New", Path("old.fad"));
  const std::string bytes = ReadBytes(Path("old.fad"));
  EXPECT_EQ(
      bytes.rfind("; mine\r\n[Other]\r\nx=1\r\n[main]\r\ncolor1=7\r\nExtra=yes\r\nFadeName=New\r\n",
                  0),
      0u)
      << bytes;
  EXPECT_EQ(ReadProfileValue("Main", "Color1", Path("old.fad")), "7");
}

TEST_F(FadeFileTest, OpenRestoresEveryField) {
  FadeSettings saved = DefaultFade();
  for (std::size_t k = 0; k < 10; ++k) saved.colors[k] = std::to_string(k * 1000 + 1);
  saved.colorCount = "3";
  saved.wavy = 1;
  saved.bold = 0;
  saved.italic = 2;
  saved.underlined = 1;
  saved.font = "";
  fade = saved;
  Save("All", Path("all.fad"));
  fade = DefaultFade();
  fade.text = "typed";
  Open(Path("all.fad"));
  saved.text = "typed";
  EXPECT_EQ(fade, saved);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(Info(), FadeInfo("All"));
}

TEST_F(FadeFileTest, OpenConvertsStyleTextsByRoundingHalfToEven) {
  const struct {
    const char* text;
    int flag;  // was 1
  } cases[] = {{"0", 0},    {"2", 2}, {"1.5", 2}, {"2.5", 2}, {"0.5", 0},
               {"-0.4", 0}, {"3", 1}, {"x", 1},   {"", 1},    {"70000", 1}};
  for (const auto& c : cases) {
    WriteBytes(Path("style.fad"), std::string("[Main]\r\nColor1=9\r\nItalic=") + c.text + "\r\n");
    fade.italic = 1;
    Open(Path("style.fad"));
    EXPECT_EQ(fade.italic, c.flag) << '"' << c.text << '"';
  }
}

TEST_F(FadeFileTest, MissingKeysEmptyTheirFieldsButKeepTheFlags) {
  WriteBytes(Path("part.fad"), "[Main]\nColor2=255\n");
  fade.wavy = 1;
  Open(Path("part.fad"));
  EXPECT_EQ(fade.colors[0], "");
  EXPECT_EQ(fade.colors[1], "255");
  EXPECT_EQ(fade.font, "");
  EXPECT_EQ(fade.colorCount, "");
  EXPECT_EQ(fade.wavy, 1);
  EXPECT_EQ(fade.bold, 1);
}

TEST_F(FadeFileTest, NoFadeFileChangesNothingAndSaysSo) {
  WriteBytes(Path("notes.fad"), "[Other]\r\nColor1=5\r\n[Main]\r\nFadeName=only a name\r\n");
  WriteBytes(Path("empty.fad"), "");
  QDir(QString::fromStdString(Path("folder.fad"))).mkpath(".");
  for (const char* name : {"missing.fad", "notes.fad", "empty.fad", "folder.fad"}) {
    desktop.messages.clear();
    fade = DefaultFade();
    Open(Path(name));
    EXPECT_EQ(fade, DefaultFade()) << name;
    EXPECT_EQ(desktop.messages, (std::vector<Message>{{Path(name) + " is not a fade file.", "Error",
                                                       MessageIcon::Critical, ""}}))
        << name;
    EXPECT_EQ(current, Path(name));
    EXPECT_EQ(Info(), name == std::string("notes.fad") ? FadeInfo("only a name") : kNoFadeFile);
  }
}

TEST_F(FadeFileTest, CancelledDialogsAndPromptsFollowTheirOwnRules) {
  EXPECT_EQ(Info(), kNoFadeFile);  // nothing opened or saved yet

  Save("Sunset", Path("s.fad"));
  Save(std::nullopt, std::nullopt);  // prompt cancelled: no dialog, file kept
  EXPECT_EQ(desktop.saveDialogs, 1);
  EXPECT_EQ(Info(), FadeInfo("Sunset"));
  Save("", std::nullopt);  // nothing typed: the same
  EXPECT_EQ(desktop.saveDialogs, 1);
  EXPECT_EQ(current, Path("s.fad"));

  Save("Other", std::nullopt);  // dialog reached and cancelled: the file is forgotten
  EXPECT_EQ(current, "");
  EXPECT_EQ(Info(), kNoFadeFile);

  Open(Path("s.fad"));
  Open(std::nullopt);
  EXPECT_EQ(current, "");
  EXPECT_EQ(Info(), kNoFadeFile);
}

TEST_F(FadeFileTest, NameOfBlanksIsWrittenButNotShown) {
  Save("   ", Path("blank.fad"));
  EXPECT_NE(ReadBytes(Path("blank.fad")).find("FadeName=   \r\n"), std::string::npos);
  EXPECT_EQ(Info(), kNoFadeFile);
}

TEST_F(FadeFileTest, FadeInfoReadsTheFileNow) {
  Save("Before", Path("now.fad"));
  WriteProfileValue("Main", "FadeName", "After", Path("now.fad"));
  EXPECT_EQ(Info(), FadeInfo("After"));
  QFile::remove(QString::fromStdString(Path("now.fad")));
  EXPECT_EQ(Info(), kNoFadeFile);
}

TEST_F(FadeFileTest, ReadsWindowsFiles) {
  // CR LF, Windows-1252 font name, blanks and case as another program may leave them
  WriteBytes(Path("win.fad"),
             "[MAIN]\r\nfadename = Caf\xE9\r\ncolor1 = 255\r\nFONT=Trebuchet \x96 MS\r\n");
  Open(Path("win.fad"));
  EXPECT_EQ(fade.colors[0], "255");
  EXPECT_EQ(fade.font, "Trebuchet \xE2\x80\x93 MS");
  EXPECT_EQ(Info(), FadeInfo("Caf\xC3\xA9"));
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

TEST_F(FadeFileTest, SaveReplacesTheFileOnceAsSeventeenKeyWritesWould) {
  const std::string before = "; kept\r\n[Other]\r\nx=1\r\n[main]\r\ncolor3 = old\r\nBold=0\r\n";
  WriteBytes(Path("one"), before);
  WriteBytes(Path("seventeen"), before);
  fade.font = "Comic \"Sans\"";
  fade.colors[4] = "not a colour";
  ASSERT_TRUE(SaveFadeFile(fade, "Dusk", Path("one")).ok());
  WriteProfileValue("Main", "FadeName", "Dusk", Path("seventeen"));
  for (const FadeField& field : kFadeFields) {
    WriteProfileValue("Main", field.key, StoredText(fade, field), Path("seventeen"));
  }
  EXPECT_EQ(ReadBytes(Path("one")), ReadBytes(Path("seventeen")));
}

TEST_F(FadeFileTest, AFailedSaveSaysWhyAndKeepsTheOldFile) {
  TINTRIX_SMALL_DISK(disk);
  // Below and above the 16 KiB a buffered writer would hold back.
  for (const std::size_t other : {0u, 20000u}) {
    SCOPED_TRACE(other);
    const std::string path = disk->File("sunset.fad");
    const std::string before = "[Main]\r\nFadeName=Old\r\n[Notes]\r\nn=" + std::string(other, 'n');
    WriteBytes(path, before);
    disk->Fill();
    desktop.messages.clear();
    Save("Sunset", path);
    EXPECT_EQ(desktop.messages,
              (std::vector<Message>{{"Could not write " + path + ": No space left on device",
                                     "Error", MessageIcon::Critical, ""}}));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(current, path);
    disk->Empty();
  }
}

TEST_F(FadeFileTest, FilesThatAreNoFadeFilesAreRefusedWithoutWaiting) {
  const std::string fifo = Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = Path("huge.fad");
  WriteBytes(huge, "[Main]\r\nColor1=255\r\n" + std::string(kMaxProfileFileBytes, ';'));
  for (const std::string& path : {fifo, huge, m_dir.path().toStdString()}) {
    SCOPED_TRACE(path);
    const FadeSettings before = fade;
    EXPECT_EQ(ApplyFadeFile(fade, path).message(), path + " is not a fade file.");
    EXPECT_EQ(fade, before);
  }
  EXPECT_EQ(SaveFadeFile(fade, "x", fifo).message(), fifo + " is not a fade file.");
  EXPECT_EQ(ReadBytes(huge).size(), 20 + kMaxProfileFileBytes);
}

TEST_F(FadeFileTest, DialogsOpenWhereTheLastFadeFileIs) {
  Open(std::nullopt);
  Save("Sunset", Path("sub/../sunset.fad"));
  Open(Path("sunset.fad"));
  EXPECT_EQ(desktop.dialogFolders,
            (std::vector<std::string>{getenv("HOME"), getenv("HOME"), Path("sub/..")}));
}

TEST_F(FadeFileTest, TwoWritersAtOnceLoseNoKey) {
  const std::string path = Path("shared.fad");
  constexpr int kKeys = 200;
  // Built by appending: GCC 12 takes "k" + string for an overlapping copy.
  const auto key = [](int child, int k) {
    std::string text(1, 'k');
    text += std::to_string(child);
    text += '_';
    text += std::to_string(k);
    return text;
  };
  pid_t children[2];
  for (int child = 0; child < 2; ++child) {
    children[child] = fork();
    ASSERT_GE(children[child], 0);
    if (children[child] == 0) {
      int failures = 0;
      for (int k = 0; k < kKeys; ++k) {
        failures += WriteProfileValue("Main", key(child, k), "v", path) == 0;
      }
      _exit(failures == 0 ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  int found = 0;
  for (int child = 0; child < 2; ++child) {
    for (int k = 0; k < kKeys; ++k) {
      found += ReadProfileValue("Main", key(child, k), path) == "v";
    }
  }
  EXPECT_EQ(found, 2 * kKeys);
}

}  // namespace
}  // namespace tintrix
