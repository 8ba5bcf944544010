#include "ui/mainwindow.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "output/fadedocument.h"
#include "output/outputcommands.h"
#include "store/settingsstore.h"
#include "tests/eventually.h"
#include "tests/fakedesktop.h"
#include "tests/memorystore.h"
#include "ui/frmabout.h"
#include "ui/setcolors.h"
#include "ui/textentry.h"
#include "ui/weblinks.h"

namespace tintrix {
namespace {

using testing::Eventually;
using testing::FakeDesktop;
using testing::FakeShell;
using testing::MemoryStore;
using testing::Message;

// A second top-level window, standing in for the configuration dialog.
class RecordingWindow final : public QWidget {
 public:
  explicit RecordingWindow(QWidget* parent) : QWidget(parent, Qt::Window) {}
  int closes = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    event->accept();
  }
};

class MainWindowTest : public ::testing::Test {
 protected:
  ~MainWindowTest() override {
    window.reset();
    QGuiApplication::setQuitOnLastWindowClosed(true);
    // QCoreApplication::exit() outside the event loop still marks the thread as quitting,
    // which would end every later modal loop (the menus) at once; a pass through exec()
    // clears the mark.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  QLineEdit* Text1() { return Child<QLineEdit>("Text1"); }
  // Chooses the menu item of that objectName, as a click on it does.
  void Trigger(const char* name) { Child<QAction>(name)->trigger(); }

  // Sends a mouse event to whatever widget lies at `at` (window coordinates), as the window
  // system would. Moves and releases go to the widget that took the press.
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button) {
    if (type == QEvent::MouseButtonPress) {
      m_grabber = window->childAt(at);
      if (m_grabber == nullptr) m_grabber = window.get();
    }
    const QPoint global = window->mapToGlobal(at);
    const QPointF local = m_grabber->mapFromGlobal(global);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(m_grabber, &event);
  }

  // Runs `act` with a watcher that, once a popup menu is open, hands it to `onPopup` (which
  // must close it) and records it.
  QMenu* WithPopup(const std::function<void()>& act, const std::function<void(QMenu*)>& onPopup) {
    QMenu* seen = nullptr;
    QTimer watcher;
    int ticks = 0;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, &watcher, [&] {
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (popup != nullptr && seen == nullptr) {
        seen = popup;
        onPopup(popup);
      } else if (++ticks > 300 && popup != nullptr) {
        popup->close();  // never hang the test run
      }
    });
    watcher.start();
    act();
    watcher.stop();
    return seen;
  }

  // The open configuration dialog, if any.
  SetColors* Dialog() {
    for (SetColors* dialog : window->findChildren<SetColors*>()) {
      if (dialog->isVisible()) return dialog;
    }
    return nullptr;
  }

  FakeDesktop desktop;
  FakeShell shell;
  MemoryStore store;
  std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(Ports{desktop, shell}, store);

 private:
  QWidget* m_grabber = nullptr;
};

// Runs the program's event loop until something ends it; gives up with 7 after five seconds.
int RunEventLoop() {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &guard, [] { QCoreApplication::exit(7); });
  guard.start(5000);
  return QApplication::exec();
}

void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(to, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(to, &release);
}

int Lightness(const QImage& image, QPoint logical) {
  const qreal dpr = image.devicePixelRatio();
  return image.pixelColor((logical * dpr)).lightness();
}

TEST_F(MainWindowTest, FormLoadShowsAFixedFramelessTopmostStripAtTheTopCentre) {
  window->move(37, 300);
  window->Start();

  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->objectName(), "MainWindow");
  EXPECT_EQ(window->windowTitle(), "Tintrix 1.0");
  EXPECT_EQ(window->size(), QSize(270, 70));
  EXPECT_EQ(window->minimumSize(), QSize(270, 70));
  EXPECT_EQ(window->maximumSize(), QSize(270, 70));
  EXPECT_EQ(window->windowType(), Qt::Window);  // a Qt::Tool would leave the taskbar
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  const QRect screen = window->screen()->geometry();
  EXPECT_EQ(window->frameGeometry().top(), screen.top());
  EXPECT_EQ(window->frameGeometry().left(), screen.left() + (screen.width() - 270) / 2);
}

TEST_F(MainWindowTest, FormLoadLoadsTheStoredFadeButNeverTheText) {
  store.values = {{"Color1", "123"}, {"Color3", ""}, {"Bold", "0"},
                  {"WaVy", "2"},     {"Font", ""},   {"NumberColors", "10"}};
  window->Start();

  const FadeSettings& fade = window->fade();
  EXPECT_EQ(fade.colors[0], "123");
  EXPECT_EQ(fade.colors[1], "16711680");  // default
  EXPECT_EQ(fade.colors[2], "");
  EXPECT_EQ(fade.bold, 0);
  EXPECT_EQ(fade.wavy, 2);
  EXPECT_EQ(fade.font, "Arial");
  EXPECT_EQ(fade.colorCount, "10");
  EXPECT_EQ(Text1()->text(), "Enter Text To Fade Here");
}

TEST_F(MainWindowTest, ChildrenSitWhereTheLayoutPutsThem) {
  struct Case {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* accessibleName;
  };
  const Case cases[] = {
      {"Picture1", "MainWindow", QRect(0, 0, 273, 25), ""},
      {"Picture2", "MainWindow", QRect(0, 21, 273, 57), ""},
      {"Label1", "Picture2", QRect(8, 3, 41, 11), "Options"},
      {"Label2", "Picture2", QRect(48, 0, 33, 15), "Help"},
      {"Label3", "Picture1", QRect(248, 0, 17, 17), "Close"},
      {"Text1", "Picture2", QRect(11, 19, 249, 21), "Text to fade"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget* child = Child<QWidget>(c.name);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parentWidget()->objectName(), c.parent);
    EXPECT_EQ(child->geometry(), c.geometry);
    EXPECT_EQ(child->accessibleName(), c.accessibleName);
  }
  EXPECT_FALSE(Text1()->hasFrame());
  EXPECT_EQ(Text1()->palette().color(QPalette::Base), QColor(Qt::white));
  // Where the two panels overlap, the body lies on top.
  EXPECT_EQ(window->childAt(100, 23), Child<QWidget>("Picture2"));
}

TEST_F(MainWindowTest, MenusHoldTheWholeTreeInOrder) {
  struct Item {
    const char* name;
    const char* caption;  // nullptr for a separator
    std::vector<Item> submenu;
  };
  const std::vector<Item> options = {
      {"sMakeHTML", "Make HTML File", {}},
      {"sClipboard", "Copy to Clipboard", {}},
      {"ssssshehe", nullptr, {}},
      {"sOpenFade", "Open Fade", {}},
      {"sSaveFade", "Save Fade", {}},
      {"sFadeInfo", "Fade Info", {}},
      {"shhhhhhehe", nullptr, {}},
      {"sRandom",
       "Random Fades",
       {{"s2Color", "2 Color Fade", {}},
        {"s3Color", "3 Color Fade", {}},
        {"s4color", "4 Color Fade", {}},
        {"s5color", "5 Color Fade", {}},
        {"s10color", "10 Color Fade", {}}}},
      {"sConfigure", "Configure", {}},
      {"sMinimize", "Minimize", {}},
      {"uhhhhhehe", nullptr, {}},
      {"sExit", "Exit", {}},
  };
  const std::vector<Item> help = {
      {"sAbout", "About", {}},
      {"sRegister", "Visit Quorvel Designs", {}},
      {"sAA", "Get Paid to Surf the Web!", {}},
  };

  std::function<void(QMenu*, const std::vector<Item>&)> expectMenu =
      [&](QMenu* menu, const std::vector<Item>& items) {
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(items.size()))
            << menu->objectName().toStdString();
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
        ASSERT_NE(accessible, nullptr);
        for (size_t i = 0; i < items.size(); ++i) {
          const Item& item = items[i];
          QAction* action = actions[static_cast<qsizetype>(i)];
          SCOPED_TRACE(item.name);
          EXPECT_TRUE(action->shortcut().isEmpty());
          EXPECT_TRUE(action->isEnabled());
          EXPECT_FALSE(action->isCheckable());
          if (item.caption == nullptr) {
            EXPECT_TRUE(action->isSeparator());
            EXPECT_EQ(action->objectName(), item.name);
            continue;
          }
          EXPECT_FALSE(action->isSeparator());
          EXPECT_EQ(action->text(), item.caption);
          QAccessibleInterface* entry = accessible->child(static_cast<int>(i));
          ASSERT_NE(entry, nullptr);
          EXPECT_EQ(entry->text(QAccessible::Name), item.caption);
          if (item.submenu.empty()) {
            EXPECT_EQ(action->menu(), nullptr);
            EXPECT_EQ(action->objectName(), item.name);
          } else {
            auto* submenu = qobject_cast<QMenu*>(action->menu());
            ASSERT_NE(submenu, nullptr);
            EXPECT_EQ(submenu->objectName(), item.name);
            EXPECT_EQ(submenu->accessibleName(), item.caption);
            expectMenu(submenu, item.submenu);
          }
        }
      };

  QMenu* optionsMenu = Child<QMenu>("sOptions");
  QMenu* helpMenu = Child<QMenu>("sHelp");
  ASSERT_NE(optionsMenu, nullptr);
  ASSERT_NE(helpMenu, nullptr);
  EXPECT_EQ(optionsMenu->parentWidget(), window.get());
  EXPECT_EQ(helpMenu->parentWidget(), window.get());
  EXPECT_EQ(optionsMenu->title(), "Options");
  EXPECT_EQ(helpMenu->title(), "Help");
  expectMenu(optionsMenu, options);
  expectMenu(helpMenu, help);
}

TEST_F(MainWindowTest, CommandsFadeWhatText1HoldsAtThatMoment) {
  window->fade().colorCount = "2";
  Text1()->setText(QString::fromUtf8("Grüße"));
  Text1()->end(false);
  Text1()->insert(QStringLiteral("!"));
  Trigger("sClipboard");
  FadeSettings expected = window->fade();
  expected.text = "Grüße!";
  const StatusOr<std::string> document = BuildFadeDocument(expected, {});
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(desktop.clipboard, *document);
  EXPECT_EQ(Text1()->text(), "");
}

TEST_F(MainWindowTest, Text1TakesAPasteOfAnyLengthWhole) {
  const QString skinTone = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
  for (const QString& pasted : {QString(200000, QLatin1Char('x')), skinTone.repeated(20000)}) {
    QGuiApplication::clipboard()->setText(pasted);
    Text1()->clear();
    Text1()->paste();
    EXPECT_EQ(Text1()->text().size(), pasted.size());
    EXPECT_TRUE(Text1()->text() == pasted);
  }
}

TEST_F(MainWindowTest, MakeHtmlWritesTheFileConfirmsAndEmptiesText1) {
  const QString path = QDir::home().filePath(QStringLiteral("output.htm"));
  QFile::remove(path);
  window->fade().colorCount = "2";
  Text1()->setText(QStringLiteral("Hi"));

  Trigger("sMakeHTML");

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string written = file.readAll().toStdString();
  EXPECT_EQ(written.rfind("<font face=\"Arial\"><b>", 0), 0u) << written;
  EXPECT_NE(written.find("</b></font>"), std::string::npos) << written;
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "File saved as C:\\output.htm");
  EXPECT_EQ(Text1()->text(), "");

  // With the text gone, a second run does nothing.
  Trigger("sMakeHTML");
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(MainWindowTest, ClipboardGetsTheSameDocumentAndText1Empties) {
  window->fade().colorCount = "3";
  Text1()->setText(QStringLiteral("Same text"));
  Trigger("sMakeHTML");
  QFile file(QDir::home().filePath(QStringLiteral("output.htm")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  std::string written = file.readAll().toStdString();
  while (!written.empty() && (written.back() == '\n' || written.back() == '\r')) written.pop_back();

  Text1()->setText(QStringLiteral("Same text"));
  Trigger("sClipboard");

  ASSERT_TRUE(desktop.clipboard.has_value());
  EXPECT_EQ(*desktop.clipboard, written);
  EXPECT_EQ(Text1()->text(), "");
}

TEST_F(MainWindowTest, RandomFadesReplaceTheFirstColoursAndKeepText1) {
  struct Case {
    const char* name;
    int count;
  };
  const Case cases[] = {
      {"s2Color", 2}, {"s3Color", 3}, {"s4color", 4}, {"s5color", 5}, {"s10color", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FadeSettings& fade = window->fade();
    for (std::string& color : fade.colors) color.assign(1, '7');
    Text1()->setText(QStringLiteral("keep me"));
    const int reseeds = desktop.random.reseeds;

    Trigger(c.name);

    EXPECT_EQ(fade.colorCount, std::to_string(c.count));
    EXPECT_EQ(desktop.random.reseeds, reseeds + 1);
    for (int i = 0; i < 10; ++i) {
      // The scripted source always draws one half.
      EXPECT_EQ(fade.colors[i], i < c.count ? "8388606" : "7") << "colour " << i + 1;
    }
    EXPECT_EQ(Text1()->text(), "keep me");
  }
}

TEST_F(MainWindowTest, SaveOpenAndFadeInfoShareTheCurrentFadeFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath(QStringLiteral("sunset.fad")).toStdString();
  window->fade().colors[0] = "255";
  Text1()->setText(QStringLiteral("typed"));

  desktop.promptAnswers = {std::string("Sunset")};
  desktop.saveAnswers = {path};
  Trigger("sSaveFade");
  EXPECT_EQ(window->currentFadeFile(), path);

  Trigger("sFadeInfo");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages.back().text, "Fade Info:\r\rSunset");

  window->fade().colors[0] = "0";
  desktop.openAnswers = {path};
  Trigger("sOpenFade");
  EXPECT_EQ(window->fade().colors[0], "255");
  EXPECT_EQ(Text1()->text(), "typed");

  // A cancelled dialog forgets the file.
  Trigger("sOpenFade");
  EXPECT_EQ(window->currentFadeFile(), "");
  Trigger("sFadeInfo");
  EXPECT_EQ(desktop.messages.back(),
            (Message{"No Fade File was opened or saved!", "Error", MessageIcon::Critical, ""}));
}

// The field shows the fade as it is now, whatever changed it.
TEST_F(MainWindowTest, TheFieldFollowsEveryChangeOfTheFade) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath(QStringLiteral("red.fad")).toStdString();
  window->Start();
  auto* field = dynamic_cast<TextEntry*>(Text1());
  ASSERT_NE(field, nullptr);
  // The colours the fade gives each character of the field's text, from the engine.
  const auto engineColors = [&] {
    const StatusOr<FadeDocument> document = FadeDocument::Create(window->fade(), true);
    const std::size_t n = field->preview().CharacterCount();
    return document.ok() ? document->Colors(n) : std::vector<std::uint32_t>();
  };
  const auto shownColors = [&] {
    std::vector<std::uint32_t> colors;
    for (const auto& c : field->preview().Characters(0, static_cast<int>(field->text().size()))) {
      colors.push_back(c.color & 0xFFFFFFu);
    }
    return colors;
  };
  QPointer<SetColors> dialog;
  const struct {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"typing", [&] { Text1()->setText(QStringLiteral("typed on, a text long enough for ten")); }},
      {"a random fade", [&] { Trigger("s10color"); }},
      {"SET",
       [&] {
         Trigger("sConfigure");
         dialog = Dialog();
         dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))
             ->setCurrentText(QStringLiteral("Set Color 1"));
         desktop.colorAnswers = {std::uint32_t{0x00FF00}};
         dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
       }},
      {"the dialog's close",
       [&] {
         dialog->findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
         dialog->findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(false);
         dialog->close();
       }},
      {"Open Fade",
       [&] {
         window->fade().colors[0] = "255";
         desktop.promptAnswers = {std::string("Red")};
         desktop.saveAnswers = {path};
         Trigger("sSaveFade");
         window->fade().colors[0] = "0";
         window->FadeChanged();
         desktop.openAnswers = {path};
         Trigger("sOpenFade");
       }},
      {"a count that makes no fade",
       [&] {
         window->fade().colorCount = "7";
         window->FadeChanged();
       }},
  };
  std::vector<std::uint32_t> before = shownColors();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.change();
    const std::vector<std::uint32_t> shown = shownColors();
    EXPECT_EQ(shown, engineColors());
    EXPECT_NE(shown, before);
    EXPECT_EQ(field->font().bold(), window->fade().bold == 1);
    before = shown;
  }
}

TEST_F(MainWindowTest, WebLinksOpenTheirPageAndNothingElse) {
  struct Case {
    const char* name;
    const char* url;
  };
  const Case cases[] = {
      {"sRegister", kMakerWebsite},
      {"sAA", kSignUpPage},
  };
  const FadeSettings before = window->fade();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shell.opened.clear();
    Trigger(c.name);
    EXPECT_EQ(shell.opened, std::vector<QUrl>{QUrl(QString::fromLatin1(c.url))});
  }
  EXPECT_EQ(window->fade(), before);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(store.syncs, 0);
}

TEST_F(MainWindowTest, ConfigureTwiceShowsOneDialogOwnedByTheWindow) {
  window->Start();
  Trigger("sConfigure");
  SetColors* first = Dialog();
  ASSERT_NE(first, nullptr);
  first->showMinimized();
  Trigger("sConfigure");

  EXPECT_EQ(Dialog(), first);
  EXPECT_FALSE(first->isMinimized());
  EXPECT_EQ(window->findChildren<SetColors*>().size(), 1);
  EXPECT_EQ(first->parentWidget(), window.get());
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(first->isModal());
}

TEST_F(MainWindowTest, ClosingTheDialogAfterARandomFadeKeepsItsColoursButNotItsCount) {
  window->Start();
  Trigger("sConfigure");
  QPointer<SetColors> dialog = Dialog();
  ASSERT_NE(dialog, nullptr);

  Trigger("s2Color");
  EXPECT_EQ(window->fade().colorCount, "2");
  dialog->close();

  // The dialog opened on the default fade, so "5 Colors" was selected.
  EXPECT_EQ(window->fade().colorCount, "5");
  // The scripted source always draws one half.
  EXPECT_EQ(window->fade().colors[0], "8388606");
  EXPECT_EQ(window->fade().colors[1], "8388606");
  EXPECT_EQ(window->fade().colors[2], "12615808");
  EXPECT_EQ(Dialog(), nullptr);

  // A closed dialog is gone; Configure builds a new one.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(dialog, nullptr);
  Trigger("sConfigure");
  EXPECT_NE(Dialog(), nullptr);
}

TEST_F(MainWindowTest, AboutShowsAModalBoxAndReturnsWhenItCloses) {
  window->Start();
  QPointer<QWidget> box;
  QString name;
  bool modal = false;
  QWidget* owner = nullptr;
  QTimer closer;
  int ticks = 0;
  closer.setInterval(10);
  QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
    QWidget* active = QApplication::activeModalWidget();
    if (active != nullptr && name.isEmpty()) {
      box = active;
      name = active->objectName();
      modal = active->isModal();
      owner = active->parentWidget();
      active->close();
    } else if (++ticks > 300 && active != nullptr) {
      active->close();  // never hang the test run
    }
  });
  closer.start();
  Trigger("sAbout");
  closer.stop();

  ASSERT_FALSE(name.isEmpty()) << "no modal box was shown";
  EXPECT_EQ(name, "frmAbout");
  EXPECT_TRUE(modal);
  EXPECT_EQ(owner, window.get());
  // The box lived on the handler's stack and is gone once it returned.
  EXPECT_EQ(box, nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindowTest, EveryWindowWritesInTheStripsFamilyAndTheDialogsKeepTheirSize) {
  window->Start();
  Trigger("sConfigure");
  ASSERT_NE(Dialog(), nullptr);
  frmAbout about(Ports{desktop, shell}, window.get());
  // As the desktop port builds its message boxes.
  QMessageBox message(QMessageBox::NoIcon, QStringLiteral("Tintrix"), QStringLiteral("Saved"),
                      QMessageBox::Ok, window.get());

  // The strip, and the dialog, the about box and the message box that it owns.
  const QString family = QFontInfo(Text1()->font()).family();
  QStringList others;
  for (const QWidget* widget : window->findChildren<QWidget*>()) {
    const QString used = QFontInfo(widget->font()).family();
    if (used != family) others.append(widget->objectName() + u' ' + used);
  }
  EXPECT_TRUE(others.isEmpty()) << family.toStdString() << " but "
                                << others.join(u", ").toStdString();
  EXPECT_EQ(Dialog()->font().pointSizeF(), 8.25);
  EXPECT_EQ(about.font().pointSizeF(), 8.25);
}

TEST_F(MainWindowTest, ExitWithTheDialogOpenStoresSetColoursButNotItsTicks) {
  window->Start();
  Trigger("sConfigure");
  QPointer<SetColors> dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  dialog->findChild<QCheckBox*>(QStringLiteral("Check3"))->setChecked(true);      // Italic
  dialog->findChild<QCheckBox*>(QStringLiteral("Check2"))->setChecked(false);     // Bold
  dialog->findChild<QRadioButton*>(QStringLiteral("Option2"))->setChecked(true);  // 3 Colors
  dialog->findChild<QComboBox*>(QStringLiteral("Combo2"))->setCurrentText(QStringLiteral("Serif"));
  auto* slot = dialog->findChild<QComboBox*>(QStringLiteral("Combo1"));
  slot->setCurrentText(QStringLiteral("Set Color 4"));
  desktop.colorAnswers = {std::uint32_t{255}};
  dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  ASSERT_EQ(window->fade().colors[3], "255");

  QTimer::singleShot(0, window.get(), [&] { Trigger("sExit"); });
  EXPECT_EQ(RunEventLoop(), 0);
  QCoreApplication::sendPostedEvents();

  EXPECT_EQ(store.syncs, 1);
  EXPECT_EQ(store.values["Color4"], "255");
  EXPECT_EQ(store.values["Italic"], "0");
  EXPECT_EQ(store.values["Bold"], "1");
  EXPECT_EQ(store.values["NumberColors"], "5");
  EXPECT_EQ(store.values["Font"], "Arial");
  // The dialog was not closed on the way out, so it wrote nothing back either.
  EXPECT_NE(dialog, nullptr);
  EXPECT_EQ(window->fade().italic, 0);
  EXPECT_EQ(window->fade().colorCount, "5");
}

// A session that ends the program without its close steps loses at most a second.
TEST_F(MainWindowTest, EveryChangeOfTheFadeIsStoredWithinASecond) {
  window->Start();
  QPointer<SetColors> dialog;
  const struct {
    const char* name;
    std::function<void()> change;
    const char* key;
    const char* stored;
  } cases[] = {
      {"a random fade", [&] { Trigger("s2Color"); }, "NumberColors", "2"},
      {"SET",
       [&] {
         Trigger("sConfigure");
         dialog = Dialog();
         dialog->findChild<QComboBox*>(QStringLiteral("Combo1"))
             ->setCurrentText(QStringLiteral("Set Color 4"));
         desktop.colorAnswers = {std::uint32_t{255}};
         dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
       },
       "Color4", "255"},
      {"the dialog's close",
       [&] {
         dialog->findChild<QCheckBox*>(QStringLiteral("Check3"))->setChecked(true);
         dialog->close();
       },
       "Italic", "1"},
  };
  int syncs = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.change();
    EXPECT_EQ(store.syncs, syncs);
    ASSERT_TRUE(Eventually([&] { return store.syncs == syncs + 1; }));
    EXPECT_EQ(store.values[c.key], c.stored);
    ++syncs;
  }
  // A command that leaves the fade as it was writes nothing.
  Text1()->setText(QStringLiteral("text"));
  Trigger("sClipboard");
  EXPECT_FALSE(Eventually([&] { return store.syncs > syncs; }));
}

TEST_F(MainWindowTest, MinimizeMinimizesTheMainWindow) {
  window->Start();
  Trigger("sMinimize");
  EXPECT_TRUE(window->isMinimized());
  EXPECT_EQ(store.syncs, 0);
}

TEST_F(MainWindowTest, EveryCloseStoresTheFadeOnce) {
  struct Case {
    const char* name;
    std::function<void()> close;
  };
  const Case cases[] = {
      {"Exit", [this] { Trigger("sExit"); }},
      {"close mark",
       [this] {
         Mouse(QEvent::MouseButtonPress, QPoint(256, 9), Qt::LeftButton);
         Mouse(QEvent::MouseButtonRelease, QPoint(256, 9), Qt::LeftButton);
       }},
      {"system close", [this] { window->close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window = std::make_unique<MainWindow>(Ports{desktop, shell}, store);
    store = MemoryStore();
    window->Start();
    window->fade().colors[2] = "42";
    window->fade().italic = 1;
    window->fade().font = "Courier New";

    c.close();

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(store.syncs, 1);
    EXPECT_EQ(store.values["Color3"], "42");
    EXPECT_EQ(store.values["Italic"], "1");
    EXPECT_EQ(store.values["Font"], "Courier New");
    EXPECT_EQ(store.values.count("TextToFade"), 0u);

    window->show();
    window->close();
    window->SaveAndQuit();
    EXPECT_EQ(store.syncs, 1);
  }
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindowTest, CloseMarkNeedsPressAndReleaseOnIt) {
  window->Start();
  Mouse(QEvent::MouseButtonPress, QPoint(256, 9), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(200, 9), Qt::LeftButton);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(store.syncs, 0);
}

TEST_F(MainWindowTest, AFailedSaveIsReportedAsAnError) {
  store.syncSucceeds = false;
  window->Start();
  Trigger("sExit");
  EXPECT_EQ(desktop.messages,
            (std::vector<Message>{{"Could not save the settings to /memory/Tintrix.conf: No "
                                   "space left on device",
                                   "Error", MessageIcon::Critical, ""}}));
}

TEST_F(MainWindowTest, APressOnAMenuWordOpensItsMenuAtThePointer) {
  struct Case {
    const char* spot;
    QPoint at;  // window coordinates
    Qt::MouseButton button;
    const char* menu;
  };
  const Case cases[] = {
      {"Options, right button", QPoint(20, 29), Qt::RightButton, "sOptions"},
      {"Options, left button", QPoint(45, 27), Qt::LeftButton, "sOptions"},
      {"Help, middle button", QPoint(60, 25), Qt::MiddleButton, "sHelp"},
      {"Help, right button", QPoint(75, 33), Qt::RightButton, "sHelp"},
  };
  window->Start();
  const FadeSettings before = window->fade();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spot);
    QPoint openedAt;
    QMenu* opened = WithPopup([&] { Mouse(QEvent::MouseButtonPress, c.at, c.button); },
                              [&](QMenu* popup) {
                                openedAt = popup->pos();
                                popup->close();
                              });
    Mouse(QEvent::MouseButtonRelease, c.at, c.button);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->objectName(), c.menu);
    EXPECT_EQ(openedAt, window->mapToGlobal(c.at));
  }
  // Dismissed menus run nothing.
  EXPECT_EQ(window->fade(), before);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(store.syncs, 0);
}

TEST_F(MainWindowTest, ChoosingAMenuItemRunsItsHandler) {
  window->Start();
  Text1()->setText(QStringLiteral("to the clipboard"));
  WithPopup([&] { Mouse(QEvent::MouseButtonPress, QPoint(20, 29), Qt::RightButton); },
            [](QMenu* popup) {
              popup->setActiveAction(popup->findChild<QAction*>(QStringLiteral("sClipboard")));
              QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
              QApplication::sendEvent(popup, &enter);
            });
  Mouse(QEvent::MouseButtonRelease, QPoint(20, 29), Qt::RightButton);
  ASSERT_TRUE(desktop.clipboard.has_value());
  EXPECT_NE(desktop.clipboard->find("</font>"), std::string::npos);
  EXPECT_EQ(Text1()->text(), "");
}

TEST_F(MainWindowTest, APressOutsideTheSpotsDragsTheWindow) {
  struct Case {
    const char* where;
    QPoint at;
    Qt::MouseButton button;
    bool drags;
  };
  const Case cases[] = {
      {"title strip, right button", QPoint(150, 10), Qt::RightButton, true},
      {"title strip, left button", QPoint(120, 5), Qt::LeftButton, true},
      {"empty part of the menu bar", QPoint(150, 26), Qt::LeftButton, true},
      {"below the entry field", QPoint(5, 66), Qt::MiddleButton, true},
      {"entry field", QPoint(150, 50), Qt::LeftButton, false},
  };
  window->Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    const QPoint start = window->pos();
    Mouse(QEvent::MouseButtonPress, c.at, c.button);
    // Moves are reported in screen coordinates of the pointer; the window moves under it.
    const QPoint global = window->mapToGlobal(c.at);
    QMouseEvent move(QEvent::MouseMove, QPointF(), global + QPoint(30, 40), Qt::NoButton, c.button,
                     Qt::NoModifier);
    QApplication::sendEvent(window->childAt(c.at), &move);
    EXPECT_EQ(window->pos(), c.drags ? start + QPoint(30, 40) : start);
    Mouse(QEvent::MouseButtonRelease, c.at, c.button);

    // After the release the window stays put.
    const QPoint settled = window->pos();
    QMouseEvent after(QEvent::MouseMove, QPointF(), global + QPoint(90, 90), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Child<QWidget>("Picture1"), &after);
    EXPECT_EQ(window->pos(), settled);
  }
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindowTest, AClickWhoseReleaseIsAlreadyQueuedMovesNothing) {
  window->Start();
  const QPoint at(150, 10);
  QWidget* picture = window->childAt(at);
  const QPoint global = window->mapToGlobal(at);
  // The release waits in the queue behind the press, as after a quick tap.
  QCoreApplication::postEvent(
      picture, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(at), QPointF(global),
                               Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  const QPoint start = window->pos();
  Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
  QMouseEvent move(QEvent::MouseMove, QPointF(), global + QPoint(30, 40), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(picture, &move);
  EXPECT_EQ(window->pos(), start);
}

TEST_F(MainWindowTest, ExitEndsTheEventLoopWithoutClosingOtherWindows) {
  struct Case {
    const char* name;
    bool throughMenu;
    bool independentWindow;  // besides the main window's own dialog
  };
  const Case cases[] = {{"Exit called, only a dialog open", false, false},
                        {"Exit chosen in the menu, another program window open", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    store = MemoryStore();
    window = std::make_unique<MainWindow>(Ports{desktop, shell}, store);
    window->Start();
    window->fade().bold = 0;
    auto* dialog = new RecordingWindow(window.get());  // like the configuration dialog
    dialog->show();
    RecordingWindow other(nullptr);
    if (c.independentWindow) other.show();

    QTimer::singleShot(0, window.get(), [&] {
      if (!c.throughMenu) {
        Trigger("sExit");
        return;
      }
      WithPopup([&] { Mouse(QEvent::MouseButtonPress, QPoint(20, 29), Qt::LeftButton); },
                [](QMenu* popup) {
                  popup->setActiveAction(popup->findChild<QAction*>(QStringLiteral("sExit")));
                  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                  QApplication::sendEvent(popup, &enter);
                });
    });
    EXPECT_EQ(RunEventLoop(), 0);
    // Anything the exit left queued must not close the other windows either.
    QCoreApplication::sendPostedEvents();

    EXPECT_EQ(dialog->closes, 0);
    EXPECT_EQ(other.closes, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(store.syncs, 1);
    EXPECT_EQ(store.values["Bold"], "0");
  }
}

TEST_F(MainWindowTest, ArtworkIsPaintedAtAnyPixelRatio) {
  for (const qreal dpr : {1.0, 2.0}) {
    SCOPED_TRACE(dpr);
    Text1()->setText(QStringLiteral("x"));
    QImage image(window->size() * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::red);
    window->render(&image);

    // Both panels are darker at the left than at the right.
    EXPECT_LT(Lightness(image, QPoint(1, 1)) + 40, Lightness(image, QPoint(230, 1)));
    EXPECT_LT(Lightness(image, QPoint(2, 66)) + 40, Lightness(image, QPoint(266, 66)));
    // The entry field is white inside its dark frame.
    EXPECT_EQ(image.pixelColor(QPoint(255, 46) * dpr), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(QPoint(150, 45) * dpr), QColor(Qt::white));
    EXPECT_LT(Lightness(image, QPoint(10, 50)), 50);
    EXPECT_LT(Lightness(image, QPoint(150, 39)), 50);
    EXPECT_LT(Lightness(image, QPoint(150, 61)), 50);
    // The light rule under the menu words.
    EXPECT_GT(Lightness(image, QPoint(150, 36)), Lightness(image, QPoint(150, 34)) + 20);

    // White type over the words and the close mark: the brightest pixel in each spot.
    const auto brightest = [&](const QRect& logical) {
      int best = 0;
      const QRect physical(logical.topLeft() * dpr, logical.size() * dpr);
      for (int y = physical.top(); y <= physical.bottom(); ++y) {
        for (int x = physical.left(); x <= physical.right(); ++x) {
          best = std::max(best, image.pixelColor(x, y).lightness());
        }
      }
      return best;
    };
    EXPECT_GT(brightest(QRect(8, 24, 41, 11)), 230) << "Options";
    EXPECT_GT(brightest(QRect(48, 21, 33, 15)), 230) << "Help";
    EXPECT_GT(brightest(QRect(248, 0, 17, 17)), 230) << "close mark";
    EXPECT_GT(brightest(QRect(22, 2, 60, 17)), 230) << "title";
    // Nothing of the red fill shows through.
    EXPECT_NE(image.pixelColor(QPoint(269, 69) * dpr), QColor(Qt::red));
  }
}

// The strip, shown and active, with the focus where the window put it.
class StripKeysTest : public MainWindowTest {
 protected:
  void SetUp() override {
    window->Start();
    window->activateWindow();
    ASSERT_TRUE(Eventually([&] { return QApplication::focusWidget() != nullptr; }));
  }
  QString Focused() { return QApplication::focusWidget()->objectName(); }
  // The popup menu a key or a press opened, closed again; its name, active item and place.
  struct Opened {
    QString menu;
    QString active;
    QPoint at;
  };
  Opened CloseOpenMenu() {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (popup == nullptr) return {};
    Opened opened{popup->objectName(), popup->activeAction()->objectName(), popup->pos()};
    popup->close();
    return opened;
  }
  QPoint BelowSpot(const char* name) {
    QWidget* spot = Child<QWidget>(name);
    return spot->mapToGlobal(QPoint(0, spot->height()));
  }
};

TEST_F(StripKeysTest, TabRunsFromTheEntryFieldAlongTheSpotsAndBack) {
  EXPECT_EQ(Focused(), "Text1");
  const struct {
    int key;
    std::vector<const char*> order;
  } cases[] = {
      {Qt::Key_Tab, {"Label1", "Label2", "Label3", "Text1"}},
      {Qt::Key_Backtab, {"Label3", "Label2", "Label1", "Text1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    for (const char* next : c.order) {
      SendKey(QApplication::focusWidget(), c.key);
      EXPECT_EQ(Focused(), next);
    }
  }
}

TEST_F(StripKeysTest, ASpotShowsAFocusMarkOnlyWhenTheKeyboardFocusedIt) {
  // The rectangle round every pixel that differs from the strip as it first looked, the entry
  // field left out: its cursor blinks, and goes when the field loses the focus.
  const QImage plain = window->grab().toImage();
  const auto changed = [&] {
    const QImage now = window->grab().toImage();
    const QRect field(Text1()->mapTo(window.get(), QPoint()), Text1()->size());
    QRect bounds;
    for (int y = 0; y < now.height(); ++y) {
      for (int x = 0; x < now.width(); ++x) {
        if (!field.contains(x, y) && now.pixel(x, y) != plain.pixel(x, y)) {
          bounds |= QRect(x, y, 1, 1);
        }
      }
    }
    return bounds;
  };

  // Given the focus without the keyboard, or pressed with the mouse, a spot shows nothing.
  Child<QWidget>("Label1")->setFocus(Qt::OtherFocusReason);
  EXPECT_EQ(changed(), QRect());
  Text1()->setFocus(Qt::OtherFocusReason);
  WithPopup([&] { Mouse(QEvent::MouseButtonPress, QPoint(60, 25), Qt::LeftButton); },
            [](QMenu* popup) { popup->close(); });
  Mouse(QEvent::MouseButtonRelease, QPoint(60, 25), Qt::LeftButton);
  EXPECT_EQ(Focused(), "Text1");
  EXPECT_EQ(changed(), QRect());

  // Tabbed to, each spot is outlined, and nothing else changes.
  for (const char* spot : {"Label1", "Label2", "Label3"}) {
    SCOPED_TRACE(spot);
    SendKey(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(Focused(), spot);
    QWidget* focused = Child<QWidget>(spot);
    EXPECT_EQ(changed(), QRect(focused->mapTo(window.get(), QPoint()), focused->size()));
  }
}

// What a user does to a spot: a key, or the press of its accessible action.
using SpotAct = std::function<void(QWidget*)>;
SpotAct Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  return [=](QWidget* spot) { SendKey(spot, key, modifiers); };
}
void AccessiblePress(QWidget* spot) {
  QAccessible::queryAccessibleInterface(spot)->actionInterface()->doAction(
      QAccessibleActionInterface::pressAction());
}

TEST_F(StripKeysTest, KeysAndTheAccessiblePressOpenAWordsMenuBelowIt) {
  const struct {
    const char* spot;
    SpotAct act;
    const char* menu;  // nullptr: nothing happens
    const char* active;
  } cases[] = {
      {"Label1", Key(Qt::Key_Space), "sOptions", "sMakeHTML"},
      {"Label1", Key(Qt::Key_Return), "sOptions", "sMakeHTML"},
      {"Label1", Key(Qt::Key_Enter, Qt::KeypadModifier), "sOptions", "sMakeHTML"},
      {"Label1", Key(Qt::Key_Down), "sOptions", "sMakeHTML"},
      {"Label1", AccessiblePress, "sOptions", "sMakeHTML"},
      {"Label2", Key(Qt::Key_Space), "sHelp", "sAbout"},
      {"Label2", Key(Qt::Key_Return), "sHelp", "sAbout"},
      {"Label2", Key(Qt::Key_Enter, Qt::KeypadModifier), "sHelp", "sAbout"},
      {"Label2", Key(Qt::Key_Down), "sHelp", "sAbout"},
      {"Label2", AccessiblePress, "sHelp", "sAbout"},
      {"Label1", Key(Qt::Key_O), nullptr, nullptr},
      {"Label2", Key(Qt::Key_Return, Qt::ControlModifier), nullptr, nullptr},
      {"Label3", Key(Qt::Key_Down), nullptr, nullptr},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(i);
    c.act(Child<QWidget>(c.spot));
    if (c.menu == nullptr) {
      EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
      EXPECT_TRUE(window->isVisible());
      continue;
    }
    // The accessible press clicks a moment later, as Qt's buttons do.
    ASSERT_TRUE(Eventually([] { return QApplication::activePopupWidget() != nullptr; }));
    const Opened opened = CloseOpenMenu();
    EXPECT_EQ(opened.menu, c.menu);
    EXPECT_EQ(opened.active, c.active);
    EXPECT_EQ(opened.at, BelowSpot(c.spot));
  }
  // A press of the mouse still opens the menu at the pointer with no item active.
  QAction* active = nullptr;
  QMenu* opened =
      WithPopup([&] { Mouse(QEvent::MouseButtonPress, QPoint(20, 29), Qt::LeftButton); },
                [&](QMenu* popup) {
                  active = popup->activeAction();
                  popup->close();
                });
  Mouse(QEvent::MouseButtonRelease, QPoint(20, 29), Qt::LeftButton);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(active, nullptr);
  EXPECT_EQ(store.syncs, 0);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(StripKeysTest, KeysAndTheAccessiblePressOnTheCloseMarkCloseAsItsClickDoes) {
  const SpotAct acts[] = {Key(Qt::Key_Space), Key(Qt::Key_Return),
                          Key(Qt::Key_Enter, Qt::KeypadModifier), AccessiblePress};
  for (size_t i = 0; i < std::size(acts); ++i) {
    SCOPED_TRACE(i);
    store = MemoryStore();
    window = std::make_unique<MainWindow>(Ports{desktop, shell}, store);
    window->Start();
    window->fade().colors[2] = "42";
    acts[i](Child<QWidget>("Label3"));
    EXPECT_TRUE(Eventually([&] { return !window->isVisible(); }));
    EXPECT_EQ(store.syncs, 1);
    EXPECT_EQ(store.values["Color3"], "42");
  }
}

TEST_F(StripKeysTest, AccessibilitySeesPushButtonsWithTheirMenusAndANamedEntryField) {
  const struct {
    const char* name;
    QAccessible::Role role;
    const char* accessibleName;
    const char* menu;  // the one child, if any
  } cases[] = {
      {"MainWindow", QAccessible::Window, "Tintrix 1.0", nullptr},
      {"Label1", QAccessible::Button, "Options", "sOptions"},
      {"Label2", QAccessible::Button, "Help", "sHelp"},
      {"Label3", QAccessible::Button, "Close", nullptr},
      {"Text1", QAccessible::EditableText, "Text to fade", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QObject* widget = c.name == std::string("MainWindow") ? window.get() : Child<QWidget>(c.name);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), c.role);
    EXPECT_EQ(accessible->text(QAccessible::Name), c.accessibleName);
    if (c.role != QAccessible::Button) continue;
    ASSERT_NE(accessible->actionInterface(), nullptr);
    EXPECT_EQ(accessible->actionInterface()->actionNames().value(0),
              QAccessibleActionInterface::pressAction());
    EXPECT_EQ(accessible->state().hasPopup, c.menu != nullptr);
    if (c.menu == nullptr) {
      EXPECT_EQ(accessible->childCount(), 0);
      continue;
    }
    ASSERT_EQ(accessible->childCount(), 1);
    QAccessibleInterface* menu = accessible->child(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->object()->objectName(), c.menu);
    EXPECT_EQ(accessible->indexOfChild(menu), 0);
  }
}

TEST_F(StripKeysTest, AnItemPressedThroughAccessibilityClosesTheMenusAndRuns) {
  const struct {
    const char* item;
    std::function<bool()> ran;
  } cases[] = {
      {"sClipboard", [&] { return desktop.clipboard.has_value() && Text1()->text().isEmpty(); }},
      // In the submenu, not shown: the Options menu closes all the same.
      {"s2Color", [&] { return window->fade().colorCount == "2"; }},
  };
  QMenu* options = Child<QMenu>("sOptions");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    Text1()->setText(QStringLiteral("to the clipboard"));
    SendKey(Child<QWidget>("Label1"), Qt::Key_Down);
    ASSERT_TRUE(options->isVisible());
    auto* action = Child<QAction>(c.item);
    auto* owner = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(owner, nullptr);
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(owner)->child(
        static_cast<int>(owner->actions().indexOf(action)));
    ASSERT_EQ(item->text(QAccessible::Name), action->text());

    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    EXPECT_FALSE(options->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(c.ran());
  }
}

}  // namespace
}  // namespace tintrix
