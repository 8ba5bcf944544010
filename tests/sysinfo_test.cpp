#include "ui/sysinfo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "platform/qtshell.h"
#include "tests/fakedesktop.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;
using testing::FakeShell;
using testing::Message;

const Message kUnavailable{"System Information Is Unavailable At This Time", "Tintrix 1.0",
                           MessageIcon::None, ""};

TEST(StartSysInfoTest, StartsTheFirstToolFoundInOrder) {
  struct Case {
    const char* name;
    QStringList installed;
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
    FakeShell launcher;
    launcher.installed = c.installed;
    StartSysInfo(desktop, launcher);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(launcher.starts[0], std::make_pair(c.started.path, c.started.arguments));
    EXPECT_TRUE(desktop.messages.empty());
    // Nothing after the tool found is looked up.
    EXPECT_EQ(launcher.lookups.last(), QFileInfo(c.started.path).fileName());
  }
}

TEST(StartSysInfoTest, NoToolFoundTellsTheUser) {
  FakeDesktop desktop;
  FakeShell launcher;
  launcher.installed = {"gnome-system-monitor"};
  StartSysInfo(desktop, launcher);
  EXPECT_TRUE(launcher.starts.empty());
  EXPECT_EQ(launcher.lookups, (QStringList{"hardinfo2", "hardinfo", "kinfocenter",
                                           "gnome-control-center", "xfce4-about"}));
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(StartSysInfoTest, ToolThatDoesNotStartTellsTheUser) {
  FakeDesktop desktop;
  FakeShell launcher;
  launcher.installed = {"kinfocenter", "xfce4-about"};
  launcher.startSucceeds = false;
  StartSysInfo(desktop, launcher);
  ASSERT_EQ(launcher.starts.size(), 1u);
  EXPECT_EQ(launcher.starts[0].first, "/opt/bin/kinfocenter");
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(StartSysInfoTest, OwnCandidateListIsUsed) {
  FakeDesktop desktop;
  FakeShell launcher;
  launcher.installed = {"b", "c"};
  const std::vector<SysInfoCandidate> candidates = {
      {"a", {"--x"}}, {"b", {"--y", "two words"}}, {"c", {}}};
  EXPECT_EQ(FindSysInfoTool(launcher, candidates),
            (SysInfoTool{"/opt/bin/b", {"--y", "two words"}}));
  EXPECT_EQ(FindSysInfoTool(launcher, {}), std::nullopt);
  StartSysInfo(desktop, launcher, {});
  EXPECT_EQ(desktop.messages, std::vector<Message>{kUnavailable});
}

TEST(QtShellTest, FindsProgramsOnPathOnly) {
  QtShell launcher;
  const QString sh = launcher.FindProgram(QStringLiteral("sh"));
  ASSERT_FALSE(sh.isEmpty());
  EXPECT_TRUE(QDir::isAbsolutePath(sh));
  EXPECT_TRUE(QFileInfo(sh).isExecutable());
  EXPECT_TRUE(launcher.FindProgram(QStringLiteral("tintrix-no-such-tool-x7q")).isEmpty());
}

TEST(QtShellTest, StartingAMissingProgramFails) {
  EXPECT_FALSE(QtShell().StartDetached(QStringLiteral("/nonexistent/tintrix-tool"), {}));
}

}  // namespace
}  // namespace tintrix
