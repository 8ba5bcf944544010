#include "ui/sysinfo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "tests/fakedesktop.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;
using testing::Message;

// Finds the programs it was told are installed, under /opt/bin, and records what it starts.
class FakeLauncher final : public ProgramLauncher {
 public:
  QString FindProgram(const QString& program) override {
    lookups << program;
    return installed.contains(program) ? QStringLiteral("/opt/bin/") + program : QString();
  }
  bool StartDetached(const QString& path, const QStringList& arguments) override {
    starts.push_back({path, arguments});
    return startSucceeds;
  }

  QSet<QString> installed;
  bool startSucceeds = true;
  QStringList lookups;
  std::vector<SysInfoTool> starts;
};

const Message kUnavailable{"System Information Is Unavailable At This Time", "Tintrix 1.0",
                           MessageIcon::None, ""};

TEST(StartSysInfoTest, StartsTheFirstToolFoundInOrder) {
  struct Case {
    const char* name;
    QSet<QString> installed;
    SysInfoTool started;
  };
  const Case cases[] = {
      {"all",
       {"hardinfo2", "hardinfo", "kinfocenter", "gnome-control-center", "xfce4-about"},
       {"/opt/bin/hardinfo2", {}}},
      {"olderHardinfo", {"hardinfo", "xfce4-about"}, {"/opt/bin/hardinfo", {}}},
      {"kde", {"kinfocenter", "gnome-control-center"}, {"/opt/bin/kinfocenter", {}}},
      {"gnome",
       {"gnome-control-center", "xfce4-about"},
       {"/opt/bin/gnome-control-center", {"info-overview"}}},
      {"xfce", {"xfce4-about"}, {"/opt/bin/xfce4-about", {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDesktop desktop;
    FakeLauncher launcher;
    launcher.installed = c.installed;
    StartSysInfo(desktop, launcher);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0], c.started);
    EXPECT_TRUE(desktop.messages.empty());
    // Nothing after the tool found is looked up.
    EXPECT_EQ(launcher.lookups.last(), QFileInfo(c.started.path).fileName());
  }
}

TEST(StartSysInfoTest, NoToolFoundTellsTheUser) {
  FakeDesktop desktop;
  FakeLauncher launcher;
  launcher.installed = {"gnome-system-monitor"};
  StartSysInfo(desktop, launcher);
  EXPECT_TRUE(launcher.starts.empty());
  EXPECT_EQ(launcher.lookups, (QStringList{"hardinfo2", "hardinfo", "kinfocenter",
                                           "gnome-control-center", "xfce4-about"}));
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(StartSysInfoTest, ToolThatDoesNotStartTellsTheUser) {
  FakeDesktop desktop;
  FakeLauncher launcher;
  launcher.installed = {"kinfocenter", "xfce4-about"};
  launcher.startSucceeds = false;
  StartSysInfo(desktop, launcher);
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].path, "/opt/bin/kinfocenter");
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(StartSysInfoTest, OwnCandidateListIsUsed) {
  FakeDesktop desktop;
  FakeLauncher launcher;
  launcher.installed = {"b", "c"};
  const std::vector<SysInfoCandidate> candidates = {
      {"a", {"--x"}}, {"b", {"--y", "two words"}}, {"c", {}}};
  EXPECT_EQ(FindSysInfoTool(launcher, candidates),
            (SysInfoTool{"/opt/bin/b", {"--y", "two words"}}));
  EXPECT_EQ(FindSysInfoTool(launcher, {}), std::nullopt);
  StartSysInfo(desktop, launcher, {});
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(QtProgramLauncherTest, FindsProgramsOnPathOnly) {
  QtProgramLauncher launcher;
  const QString sh = launcher.FindProgram(QStringLiteral("sh"));
  ASSERT_FALSE(sh.isEmpty());
  EXPECT_TRUE(QDir::isAbsolutePath(sh));
  EXPECT_TRUE(QFileInfo(sh).isExecutable());
  EXPECT_TRUE(launcher.FindProgram(QStringLiteral("tintrix-no-such-tool-x7q")).isEmpty());
}

TEST(QtProgramLauncherTest, StartingAMissingProgramFails) {
  EXPECT_FALSE(QtProgramLauncher().StartDetached(QStringLiteral("/nonexistent/tintrix-tool"), {}));
}

}  // namespace
}  // namespace tintrix
