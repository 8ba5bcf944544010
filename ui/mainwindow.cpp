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
#include "ui/frmabout.h"
#include "ui/mainwindowart.h"
#include "ui/setcolors.h"
#include "ui/textentry.h"
#include "ui/weblinks.h"
#include "ui/windowfont.h"
#include "ui/windowutils.h"

namespace tintrix {

namespace {

const char kInitialText[] = "Enter Text To Fade Here";

// A transparent spot over a painted word or mark.
QWidget* MakeSpot(QWidget* parent, const char* name, const QString& accessibleName,
                  const QRect& rect) {
  QWidget* spot = new QWidget(parent);
  spot->setObjectName(QLatin1String(name));
  spot->setAccessibleName(accessibleName);
  spot->setGeometry(rect);
  return spot;
}

QPoint GlobalPos(const QEvent* event) {
  return static_cast<const QMouseEvent*>(event)->globalPosition().toPoint();
}

// One entry of a menu, in the order shown. A submenu's entries follow its kSubmenu entry,
// up to a kEnd.
struct MenuEntry {
  enum Kind { kCommand, kSeparator, kSubmenu, kEnd };
  Kind kind;
  const char* name = nullptr;
  const char* caption = nullptr;
  void (MainWindow::*handler)() = nullptr;
};

const MenuEntry kOptionsMenu[] = {
    {MenuEntry::kCommand, "sMakeHTML", "Make HTML File", &MainWindow::sMakeHTML_Click},
    {MenuEntry::kCommand, "sClipboard", "Copy to Clipboard", &MainWindow::sClipboard_Click},
    {MenuEntry::kSeparator, "ssssshehe"},
    {MenuEntry::kCommand, "sOpenFade", "Open Fade", &MainWindow::sOpenFade_Click},
    {MenuEntry::kCommand, "sSaveFade", "Save Fade", &MainWindow::sSaveFade_Click},
    {MenuEntry::kCommand, "sFadeInfo", "Fade Info", &MainWindow::sFadeInfo_Click},
    {MenuEntry::kSeparator, "shhhhhhehe"},
    {MenuEntry::kSubmenu, "sRandom", "Random Fades"},
    {MenuEntry::kCommand, "s2Color", "2 Color Fade", &MainWindow::s2Color_Click},
    {MenuEntry::kCommand, "s3Color", "3 Color Fade", &MainWindow::s3Color_Click},
    {MenuEntry::kCommand, "s4color", "4 Color Fade", &MainWindow::s4color_Click},
    {MenuEntry::kCommand, "s5color", "5 Color Fade", &MainWindow::s5color_Click},
    {MenuEntry::kCommand, "s10color", "10 Color Fade", &MainWindow::s10color_Click},
    {MenuEntry::kEnd},
    {MenuEntry::kCommand, "sConfigure", "Configure", &MainWindow::sConfigure_Click},
    {MenuEntry::kCommand, "sMinimize", "Minimize", &MainWindow::sMinimize_Click},
    {MenuEntry::kSeparator, "uhhhhhehe"},
    {MenuEntry::kCommand, "sExit", "Exit", &MainWindow::sExit_Click},
};

const MenuEntry kHelpMenu[] = {
    {MenuEntry::kCommand, "sAbout", "About", &MainWindow::sAbout_Click},
    {MenuEntry::kCommand, "sRegister", "Visit Quorvel Designs", &MainWindow::sRegister_Click},
    {MenuEntry::kCommand, "sAA", "Get Paid to Surf the Web!", &MainWindow::sAA_Click},
};

}  // namespace

MainWindow::MainWindow(const Ports& ports, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_ports(ports),
      m_store(store),
      m_fade(DefaultFade()) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QString::fromLatin1(kAppTitle));
  setFixedSize(MainWindowLayout::kWindow);
  // The strip's words, painted and typed, at the desktop's size in the program's one family.
  QFont stripFont = font();
  stripFont.setFamily(WindowFontFamily());
  setFont(stripFont);

  m_picture1 = new MainWindowPanel(this, MainWindowPanel::Art::kTitleStrip);
  // The body overlaps the lower edge of the title strip and lies above it.
  m_picture2 = new MainWindowPanel(this, MainWindowPanel::Art::kBody);
  m_label3 = MakeSpot(m_picture1, "Label3", QStringLiteral("Close"), MainWindowLayout::kLabel3);
  m_label1 = MakeSpot(m_picture2, "Label1", QStringLiteral("Options"), MainWindowLayout::kLabel1);
  m_label2 = MakeSpot(m_picture2, "Label2", QStringLiteral("Help"), MainWindowLayout::kLabel2);

  m_text1 = new TextEntry(m_picture2);
  m_text1->setObjectName(QStringLiteral("Text1"));
  m_text1->setGeometry(MainWindowLayout::kText1);
  m_text1->setFrame(false);
  QPalette palette = m_text1->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  m_text1->setPalette(palette);
  m_text1->setAutoFillBackground(true);
  m_text1->setText(QString::fromUtf8(kInitialText));
  m_fade.text.clear();

  for (QWidget* watched : {m_picture1, m_picture2, m_label1, m_label2, m_label3}) {
    watched->installEventFilter(this);
  }

  BuildMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
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
          connect(action, &QAction::triggered, this, entry.handler);
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
  m_options = makeMenu("sOptions", QStringLiteral("Options"));
  fill(m_options, kOptionsMenu);
  m_help = makeMenu("sHelp", QStringLiteral("Help"));
  fill(m_help, kHelpMenu);
}

void MainWindow::Form_Load() {
  MakeTopmost(this);
  PlaceAtTopCentre(this);
  LoadFadeSettings(m_fade, m_store);
  show();
}

void MainWindow::Form_Unload() {
  if (m_unloaded) return;
  m_unloaded = true;
  const Status saved = SaveFadeSettings(m_fade, m_store);
  if (!saved.ok()) {
    m_ports.desktop.ShowMessage(saved.message(), kErrorTitle, MessageIcon::Critical);
  }
  // Once this window is gone, Qt would otherwise treat the program as having lost its last
  // window and send every other window a close event on its way out.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // exit() rather than quit(): quit() asks every window to close first.
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void MainWindow::RunCommand(const std::function<void(FadeSettings&)>& command) {
  m_fade.text = m_text1->text().toStdString();
  command(m_fade);
  const QString left = QString::fromStdString(m_fade.text);
  m_fade.text.clear();
  if (m_text1->text() != left) m_text1->setText(left);
}

void MainWindow::sMakeHTML_Click() {
  RunCommand([this](FadeSettings& fade) { tintrix::sMakeHTML_Click(fade, m_ports.desktop); });
}

void MainWindow::sClipboard_Click() {
  RunCommand([this](FadeSettings& fade) { tintrix::sClipboard_Click(fade, m_ports.desktop); });
}

void MainWindow::sOpenFade_Click() {
  tintrix::sOpenFade_Click(m_fade, m_ports.desktop, m_currentFadeFile);
}

void MainWindow::sSaveFade_Click() {
  tintrix::sSaveFade_Click(m_fade, m_ports.desktop, m_currentFadeFile);
}

void MainWindow::sFadeInfo_Click() { tintrix::sFadeInfo_Click(m_ports.desktop, m_currentFadeFile); }

void MainWindow::s2Color_Click() { tintrix::s2Color_Click(m_fade, m_ports.desktop); }

void MainWindow::s3Color_Click() { tintrix::s3Color_Click(m_fade, m_ports.desktop); }

void MainWindow::s4color_Click() { tintrix::s4color_Click(m_fade, m_ports.desktop); }

void MainWindow::s5color_Click() { tintrix::s5color_Click(m_fade, m_ports.desktop); }

void MainWindow::s10color_Click() { tintrix::s10color_Click(m_fade, m_ports.desktop); }

void MainWindow::sConfigure_Click() {
  if (m_setColors == nullptr) {
    m_setColors = new SetColors(m_fade, m_ports.desktop, this);
    m_setColors->setAttribute(Qt::WA_DeleteOnClose);
  }
  m_setColors->ShowOnTop();
}

void MainWindow::sAbout_Click() {
  frmAbout box(m_ports, this);
  box.exec();
}

void MainWindow::sRegister_Click() { OpenWebPage(m_ports.shell, kMakerWebsite); }

void MainWindow::sAA_Click() { OpenWebPage(m_ports.shell, kSignUpPage); }

void MainWindow::sMinimize_Click() { showMinimized(); }

void MainWindow::sExit_Click() { close(); }

void MainWindow::Label1_MouseDown(const QPoint& globalPos) { m_options->exec(globalPos); }

void MainWindow::Label2_MouseDown(const QPoint& globalPos) { m_help->exec(globalPos); }

void MainWindow::Label3_Click() { close(); }

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseMove && type != QEvent::MouseButtonDblClick) {
    return QWidget::eventFilter(watched, event);
  }
  // A double click is a second press as far as these handlers are concerned.
  const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  if (watched == m_label1) {
    if (press) Label1_MouseDown(GlobalPos(event));
  } else if (watched == m_label2) {
    if (press) Label2_MouseDown(GlobalPos(event));
  } else if (watched == m_label3) {
    if (press) {
      m_closePressed = true;
    } else if (type == QEvent::MouseButtonRelease && m_closePressed) {
      m_closePressed = false;
      const QPointF local = static_cast<QMouseEvent*>(event)->position();
      if (m_label3->rect().contains(local.toPoint())) Label3_Click();
    }
  } else if (watched == m_picture1 || watched == m_picture2) {
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
