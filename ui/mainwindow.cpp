#include "ui/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include "output/outputcommands.h"
#include "output/randomfades.h"
#include "store/fadefilecommands.h"
#include "store/settingsstore.h"
#include "ui/accessibility.h"
#include "ui/frmabout.h"
#include "ui/mainwindowart.h"
#include "ui/setcolors.h"
#include "ui/stripspot.h"
#include "ui/textentry.h"
#include "ui/weblinks.h"
#include "ui/windowfont.h"
#include "ui/windowutils.h"

namespace tintrix {

namespace {

const char kInitialText[] = "Enter Text To Fade Here";

QPoint GlobalPos(const QEvent* event) {
  return static_cast<const QMouseEvent*>(event)->globalPosition().toPoint();
}

}  // namespace

MainWindow::MainWindow(const Ports& ports, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_ports(ports),
      m_store(store),
      m_fade(DefaultFade()) {
  // Before any accessible interface of the window or its parts is made and kept.
  InstallAccessibleInterfaces();
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QString::fromLatin1(kAppTitle));
  setFixedSize(MainWindowLayout::kWindow);
  // The strip's words, painted and typed, at the desktop's size in the program's one family.
  QFont stripFont = font();
  stripFont.setFamily(WindowFontFamily());
  setFont(stripFont);

  m_titleStrip = new MainWindowPanel(this, MainWindowPanel::Art::kTitleStrip);
  // The body overlaps the lower edge of the title strip and lies above it.
  m_body = new MainWindowPanel(this, MainWindowPanel::Art::kBody);
  m_closeSpot =
      new StripSpot(m_titleStrip, "Label3", QStringLiteral("Close"), MainWindowLayout::kCloseSpot);
  m_optionsSpot =
      new StripSpot(m_body, "Label1", QStringLiteral("Options"), MainWindowLayout::kOptionsSpot);
  m_helpSpot = new StripSpot(m_body, "Label2", QStringLiteral("Help"), MainWindowLayout::kHelpSpot);

  m_textEntry = new TextEntry(m_body);
  m_textEntry->setObjectName(QStringLiteral("Text1"));
  m_textEntry->setAccessibleName(QStringLiteral("Text to fade"));
  m_textEntry->setGeometry(MainWindowLayout::kTextEntry);
  m_textEntry->setFrame(false);
  QPalette palette = m_textEntry->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  m_textEntry->setPalette(palette);
  m_textEntry->setAutoFillBackground(true);
  m_textEntry->SetFade(m_fade);
  m_textEntry->setText(QString::fromUtf8(kInitialText));
  m_fade.text.clear();

  for (QWidget* watched : std::initializer_list<QWidget*>{m_titleStrip, m_body, m_optionsSpot,
                                                          m_helpSpot, m_closeSpot}) {
    watched->installEventFilter(this);
  }

  BuildMenus();
  m_optionsSpot->SetMenu(m_optionsMenu);
  m_helpSpot->SetMenu(m_helpMenu);
  // The keyboard's and accessibility's click on the close mark; the mouse's is the event
  // filter's.
  connect(m_closeSpot, &QAbstractButton::clicked, this, &QWidget::close);

  // Tab runs along the strip as it reads: the entry field, the two words, the close mark.
  setTabOrder(m_textEntry, m_optionsSpot);
  setTabOrder(m_optionsSpot, m_helpSpot);
  setTabOrder(m_helpSpot, m_closeSpot);
  // The window opens with the typing going to the entry field, as when it was the strip's only
  // control; Qt would otherwise pick a spot.
  m_textEntry->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
  // One entry of a menu, in the order shown. A submenu's entries follow its kSubmenu entry,
  // up to a kEnd. Each command is a function of this window, run when its item is triggered.
  struct MenuEntry {
    enum Kind { kCommand, kSeparator, kSubmenu, kEnd };
    Kind kind;
    const char* name = nullptr;
    const char* caption = nullptr;
    void (*run)(MainWindow&) = nullptr;
  };
  static constexpr MenuEntry kOptionsMenu[] = {
      {MenuEntry::kCommand, "sMakeHTML", "Make HTML File",
       [](MainWindow& w) { w.RunOnText(MakeHtmlFile); }},
      {MenuEntry::kCommand, "sClipboard", "Copy to Clipboard",
       [](MainWindow& w) { w.RunOnText(CopyToClipboard); }},
      {MenuEntry::kSeparator, "ssssshehe"},
      {MenuEntry::kCommand, "sOpenFade", "Open Fade",
       [](MainWindow& w) { OpenFade(w.m_fade, w.m_ports.desktop, w.m_currentFadeFile); }},
      {MenuEntry::kCommand, "sSaveFade", "Save Fade",
       [](MainWindow& w) { SaveFade(w.m_fade, w.m_ports.desktop, w.m_currentFadeFile); }},
      {MenuEntry::kCommand, "sFadeInfo", "Fade Info",
       [](MainWindow& w) { ShowFadeInfo(w.m_ports.desktop, w.m_currentFadeFile); }},
      {MenuEntry::kSeparator, "shhhhhhehe"},
      {MenuEntry::kSubmenu, "sRandom", "Random Fades"},
      {MenuEntry::kCommand, "s2Color", "2 Color Fade",
       [](MainWindow& w) { RandomFade(w.m_fade, w.m_ports.desktop, *ColorCount::Of(2)); }},
      {MenuEntry::kCommand, "s3Color", "3 Color Fade",
       [](MainWindow& w) { RandomFade(w.m_fade, w.m_ports.desktop, *ColorCount::Of(3)); }},
      {MenuEntry::kCommand, "s4color", "4 Color Fade",
       [](MainWindow& w) { RandomFade(w.m_fade, w.m_ports.desktop, *ColorCount::Of(4)); }},
      {MenuEntry::kCommand, "s5color", "5 Color Fade",
       [](MainWindow& w) { RandomFade(w.m_fade, w.m_ports.desktop, *ColorCount::Of(5)); }},
      {MenuEntry::kCommand, "s10color", "10 Color Fade",
       [](MainWindow& w) { RandomFade(w.m_fade, w.m_ports.desktop, *ColorCount::Of(10)); }},
      {MenuEntry::kEnd},
      {MenuEntry::kCommand, "sConfigure", "Configure",
       [](MainWindow& w) { w.ShowConfiguration(); }},
      {MenuEntry::kCommand, "sMinimize", "Minimize", [](MainWindow& w) { w.showMinimized(); }},
      {MenuEntry::kSeparator, "uhhhhhehe"},
      {MenuEntry::kCommand, "sExit", "Exit", [](MainWindow& w) { w.close(); }},
  };
  static constexpr MenuEntry kHelpMenu[] = {
      {MenuEntry::kCommand, "sAbout", "About", [](MainWindow& w) { w.ShowAbout(); }},
      {MenuEntry::kCommand, "sRegister", "Visit Quorvel Designs",
       [](MainWindow& w) { OpenWebPage(w.m_ports.shell, kMakerWebsite); }},
      {MenuEntry::kCommand, "sAA", "Get Paid to Surf the Web!",
       [](MainWindow& w) { OpenWebPage(w.m_ports.shell, kSignUpPage); }},
  };

  const auto makeMenu = [this](const char* name, const QString& caption) {
    QMenu* menu = new QMenu(caption, this);
    menu->setObjectName(QLatin1String(name));
    menu->setAccessibleName(caption);
    return menu;
  };
  const auto fill = [&](QMenu* menu, const auto& entries) {
    QMenu* target = menu;
    for (const MenuEntry& entry : entries) {
      switch (entry.kind) {
        case MenuEntry::kCommand: {
          QAction* action = target->addAction(QString::fromUtf8(entry.caption));
          action->setObjectName(QLatin1String(entry.name));
          // An item chosen with the mouse or the keys closes the menus before it runs; one
          // pressed through accessibility would run with its menu left open, holding the
          // pointer and the keys. Connected first, so the menus are gone when the command runs.
          connect(action, &QAction::triggered, this, [this] {
            for (QMenu* open : findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
              open->hide();
            }
          });
          connect(action, &QAction::triggered, this, [this, run = entry.run] {
            run(*this);
            FadeChanged();
          });
          break;
        }
        case MenuEntry::kSeparator:
          target->addSeparator()->setObjectName(QLatin1String(entry.name));
          break;
        case MenuEntry::kSubmenu:
          target = makeMenu(entry.name, QString::fromUtf8(entry.caption));
          menu->addMenu(target);
          break;
        case MenuEntry::kEnd:
          target = menu;
          break;
      }
    }
  };
  m_optionsMenu = makeMenu("sOptions", QStringLiteral("Options"));
  fill(m_optionsMenu, kOptionsMenu);
  m_helpMenu = makeMenu("sHelp", QStringLiteral("Help"));
  fill(m_helpMenu, kHelpMenu);
}

void MainWindow::Start() {
  MakeTopmost(this);
  PlaceAtTopCentre(this);
  LoadFadeSettings(m_fade, m_store);
  m_autosave.MarkStored();
  m_textEntry->SetFade(m_fade);
  show();
}

void MainWindow::SaveAndQuit() {
  if (m_quitting) return;
  m_quitting = true;
  const Status saved = SaveFadeSettings(m_fade, m_store);
  if (saved.ok()) {
    m_autosave.MarkStored();
  } else {
    m_ports.desktop.ShowMessage(saved.message(), kErrorTitle, MessageIcon::Critical);
  }
  // Once this window is gone, Qt would otherwise treat the program as having lost its last
  // window and send every other window a close event on its way out.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // exit() rather than quit(): quit() asks every window to close first.
  QCoreApplication::exit(0);
}

Status MainWindow::StoreFade() { return m_autosave.StoreIfChanged(); }

void MainWindow::FadeChanged() {
  m_autosave.Changed();
  m_textEntry->SetFade(m_fade);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveAndQuit();
  event->accept();
}

void MainWindow::RunOnText(void (*command)(FadeSettings&, Desktop&)) {
  m_fade.text = m_textEntry->text().toStdString();
  command(m_fade, m_ports.desktop);
  const QString left = QString::fromStdString(m_fade.text);
  m_fade.text.clear();
  if (m_textEntry->text() != left) m_textEntry->setText(left);
}

void MainWindow::ShowConfiguration() {
  if (m_setColors == nullptr) {
    m_setColors = new SetColors(m_fade, m_ports.desktop, this);
    m_setColors->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_setColors, &SetColors::FadeChanged, this, &MainWindow::FadeChanged);
  }
  m_setColors->ShowOnTop();
}

void MainWindow::ShowAbout() {
  frmAbout box(m_ports, this);
  box.exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick) {
    return QWidget::eventFilter(watched, event);
  }
  // A double click is a second press as far as these handlers are concerned.
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  if (watched == m_optionsSpot) {
    if (press) m_optionsMenu->exec(GlobalPos(event));
  } else if (watched == m_helpSpot) {
    if (press) m_helpMenu->exec(GlobalPos(event));
  } else if (watched == m_closeSpot) {
    if (press) {
      m_closePressed = true;
    } else if (type == QEvent::MouseButtonRelease && m_closePressed) {
      m_closePressed = false;
      const QPointF local = static_cast<QMouseEvent*>(event)->position();
      if (m_closeSpot->rect().contains(local.toPoint())) close();
    }
  } else if (watched == m_titleStrip || watched == m_body) {
    if (press) {
      m_drag.Press(GlobalPos(event), static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton);
    } else if (type == QEvent::MouseMove) {
      m_drag.Move(GlobalPos(event));
    } else {
      m_drag.Release();
    }
  } else {
    return QWidget::eventFilter(watched, event);
  }
  return true;
}

}  // namespace tintrix
