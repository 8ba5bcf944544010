#include "ui/frmabout.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <map>
#include <vector>

#include "tests/fakedesktop.h"

namespace tintrix {
namespace {

using testing::FakeDesktop;
using testing::FakeShell;

class AboutTest : public ::testing::Test {
 protected:
  template <typename T>
  T* Child(const char* name) {
    T* child = m_box.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  // Presses `key` where the keyboard is: the focused control, which passes on what it ignores.
  void Press(Qt::Key key) {
    QWidget* target = m_box.focusWidget() != nullptr ? m_box.focusWidget() : &m_box;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
  }

  FakeDesktop m_desktop;
  FakeShell m_shell;  // with nothing installed, System Info reports the tool unavailable
  frmAbout m_box{Ports{m_desktop, m_shell}};
};

TEST_F(AboutTest, ShowsItsTextsAndControls) {
  EXPECT_EQ(m_box.objectName(), "frmAbout");
  // no caption text, and no application name standing in for an empty one
  EXPECT_TRUE(m_box.windowTitle().trimmed().isEmpty());
  EXPECT_FALSE(m_box.windowTitle().isEmpty());
  EXPECT_TRUE(m_box.isModal());
  EXPECT_TRUE(m_box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(m_box.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(m_box.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_EQ(m_box.size(), QSize(382, 232));

  struct Expected {
    const char* name;
    QString caption;
    QRect rect;
  };
  const Expected controls[] = {
      {"cmdOK", "OK", {216, 200, 60, 17}},
      {"cmdSysInfo", "&System Info...", {280, 200, 83, 17}},
      {"lblTitle", "Tintrix 1.0", {70, 16, 259, 32}},
      {"Command1", "Quorvel Designs Website", {8, 200, 129, 17}},
      {"Command2", "Get Paid to Surf the Web!", {144, 184, 65, 41}},
      {"lblDescription",
       "Tintrix allows you to add faded text to a webpage, or any document supporting Rich "
       "Text. Tintrix will fade between 2, 3, 4, 5, or 10 colors, all user-defined, and will "
       "either copy the HTML source to the clipboard, or create an HTML file.  Please visit the "
       "Quorvel Designs website to browse our other great software titles!",
       {70, 80, 259, 94}},
  };
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.name);
    QWidget* widget = Child<QWidget>(control.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), control.rect);
    QString caption;
    if (auto* button = qobject_cast<QPushButton*>(widget)) caption = button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
    EXPECT_EQ(caption, control.caption);
  }
  EXPECT_TRUE(Child<QLabel>("lblDescription")->wordWrap());
  EXPECT_EQ(Child<QPushButton>("cmdSysInfo")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));

  QLabel* icon = Child<QLabel>("picIcon");
  EXPECT_EQ(icon->geometry(), QRect(16, 16, 36, 36));
  EXPECT_EQ(icon->pixmap().size(), QSize(36, 36));
}

TEST_F(AboutTest, LongCaptionWrapsInsideItsButton) {
  QPushButton* button = Child<QPushButton>("Command2");
  m_box.show();
  const QImage image = button->grab().toImage();
  // Lines of caption ink (darker than the button face), separated by blank rows.
  std::map<int, int> greys;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++greys[qGray(image.pixel(x, y))];
  }
  const int face = std::max_element(greys.begin(), greys.end(), [](auto a, auto b) {
                     return a.second < b.second;
                   })->first;
  int lines = 0;
  bool previousInked = false;
  for (int y = 3; y < image.height() - 3; ++y) {
    bool inked = false;
    for (int x = 4; x < image.width() - 4 && !inked; ++x) {
      inked = qGray(image.pixel(x, y)) + 60 < face;
    }
    if (inked && !previousInked) ++lines;
    previousInked = inked;
  }
  EXPECT_GE(lines, 2);
  // The last line ends inside the button.
  EXPECT_FALSE(previousInked);
}

TEST_F(AboutTest, EnterAndEscBothClose) {
  EXPECT_TRUE(Child<QPushButton>("cmdOK")->isDefault());
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    SCOPED_TRACE(key);
    m_box.open();
    ASSERT_TRUE(m_box.isVisible());
    Press(key);
    EXPECT_FALSE(m_box.isVisible());
  }
  m_box.open();
  Child<QPushButton>("cmdOK")->click();
  EXPECT_FALSE(m_box.isVisible());
  EXPECT_EQ(m_box.result(), QDialog::Accepted);
}

TEST_F(AboutTest, WebButtonsOpenTheirPages) {
  Child<QPushButton>("Command1")->click();
  Child<QPushButton>("Command2")->click();
  EXPECT_EQ(m_shell.opened,
            (std::vector<QUrl>{QUrl("https://www.quorvel.example/"),
                               QUrl("https://surf-rewards.example/signup?ref=quorvel")}));
  EXPECT_TRUE(m_desktop.messages.empty());
}

TEST_F(AboutTest, SysInfoWithoutToolTellsTheUserAndStaysOpen) {
  m_box.open();
  Child<QPushButton>("cmdSysInfo")->click();
  ASSERT_EQ(m_desktop.messages.size(), 1u);
  EXPECT_EQ(m_desktop.messages[0].text, "System Information Is Unavailable At This Time");
  EXPECT_EQ(m_desktop.messages[0].title, "Tintrix 1.0");
  EXPECT_EQ(m_desktop.messages[0].icon, MessageIcon::None);
  EXPECT_TRUE(m_box.isVisible());
  m_box.reject();
}

}  // namespace
}  // namespace tintrix

namespace tintrix {
namespace {

TEST_F(AboutTest, ButtonCaptionsKeepRoomToTheirEdges) {
  for (const char* name : {"cmdOK", "cmdSysInfo", "Command1"}) {
    QPushButton* button = Child<QPushButton>(name);
    const int caption = button->fontMetrics().horizontalAdvance(button->text().remove('&'));
    EXPECT_LE(caption + 8, button->width()) << name;
  }
}

}  // namespace
}  // namespace tintrix
