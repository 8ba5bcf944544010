#include "ui/mainwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

#include "output/outputcommands.h"
#include "store/fadefilecommands.h"
#include "store/settingsstore.h"
#include "ui/desktop.h"
#include "ui/frmabout.h"
#include "ui/setcolors.h"
#include "ui/webpage.h"
#include "ui/windowutils.h"

namespace tintrix {

namespace {

// The layout is given in twips, 15 to a logical pixel. Each edge is rounded to the nearest
// pixel, so neighbouring rectangles keep meeting where they met.
QRect TwipsRect(int left, int top, int width, int height) {
  const auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
  return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

const QSize kWindowSize(270, 70);  // 4050 x 1050 twips
const QRect kPicture1Rect = TwipsRect(0, 0, 4095, 375);
const QRect kPicture2Rect = TwipsRect(0, 320, 4095, 855);
const QRect kLabel1Rect = TwipsRect(120, 50, 615, 160);   // inside Picture2
const QRect kLabel2Rect = TwipsRect(720, 0, 495, 220);    // inside Picture2
const QRect kLabel3Rect = TwipsRect(3720, 0, 255, 255);   // inside Picture1
const QRect kText1Rect = TwipsRect(160, 290, 3735, 310);  // inside Picture2

const char kInitialText[] = "Enter Text To Fade Here";

// The blue-grey of both panels, dark at the left and lighter to the right. Both panels start
// at the window's left edge, so one gradient over the window's width joins them seamlessly.
QLinearGradient PanelGradient() {
  QLinearGradient gradient(0, 0, kWindowSize.width(), 0);
  gradient.setColorAt(0.0, QColor(0x26, 0x30, 0x44));
  gradient.setColorAt(1.0, QColor(0x9C, 0xAA, 0xC2));
  return gradient;
}

// A bold font of at most `pixelSize` pixels in which `text` fits into `maxWidth` pixels.
QFont BoldFontFitting(const QFont& base, const QString& text, int pixelSize, int maxWidth) {
  QFont font = base;
  font.setBold(true);
  for (; pixelSize > 6; --pixelSize) {
    font.setPixelSize(pixelSize);
    if (QFontMetrics(font).horizontalAdvance(text) <= maxWidth) break;
  }
  return font;
}

void PaintTitleStrip(QPainter& painter, const QWidget& panel) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(panel.rect(), PanelGradient());

  // The information sign: a pale disc with a dark "i".
  const QPointF centre(10.5, 10.5);
  painter.setPen(QPen(QColor(0x1A, 0x22, 0x33), 1.0));
  painter.setBrush(QColor(0xEE, 0xF2, 0xF8));
  painter.drawEllipse(centre, 7.0, 7.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x23, 0x4A, 0x8C));
  painter.drawEllipse(QPointF(centre.x(), 6.8), 1.3, 1.3);
  painter.drawRoundedRect(QRectF(centre.x() - 1.1, 9.0, 2.2, 6.0), 0.6, 0.6);

  const QString title = QStringLiteral("Tintrix 1.0");
  painter.setFont(BoldFontFitting(panel.font(), title, 12, 120));
  painter.setPen(Qt::white);
  painter.drawText(QRectF(22, 0, 140, 21), Qt::AlignLeft | Qt::AlignVCenter, title);

  // The boxed X over the close spot.
  const QRectF box = QRectF(kLabel3Rect).adjusted(2.5, 3.5, -2.5, -1.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 1.0));
  painter.drawRect(box);
  painter.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
  const QRectF cross = box.adjusted(3, 3, -3, -3);
  painter.drawLine(cross.topLeft(), cross.bottomRight());
  painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void PaintBody(QPainter& painter, const QWidget& panel) {
  painter.fillRect(panel.rect(), PanelGradient());

  // The words of the painted menu bar share one baseline and one size.
  const QString options = QStringLiteral("Options");
  const QString help = QStringLiteral("Help");
  const QFont font =
      BoldFontFitting(panel.font(), options, 11, kLabel2Rect.left() - kLabel1Rect.left() - 5);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font);
  painter.setPen(Qt::white);
  const QRectF line(0, kLabel1Rect.top() - 1, 0, kLabel1Rect.height() + 2);
  painter.drawText(line.adjusted(kLabel1Rect.left(), 0, 100, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   options);
  painter.drawText(line.adjusted(kLabel2Rect.left() + 3, 0, 100, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, help);

  // The thin light rule under the menu bar.
  const qreal ruleY = kText1Rect.top() - 3.5;
  painter.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
  painter.drawLine(QPointF(4, ruleY), QPointF(kWindowSize.width() - 4, ruleY));

  // The entry field: white, with a dark one-pixel frame just outside Text1.
  const QRectF field = QRectF(kText1Rect).adjusted(-0.5, -0.5, 0.5, 0.5);
  painter.setPen(QPen(QColor(0x14, 0x1A, 0x26), 1.0));
  painter.setBrush(Qt::white);
  painter.drawRect(field);
}

// A panel that paints its artwork; mouse handling is the main window's.
class Panel final : public QWidget {
 public:
  using PaintFunction = void (*)(QPainter&, const QWidget&);

  Panel(QWidget* parent, const char* name, const QRect& rect, PaintFunction paint)
      : QWidget(parent), m_paint(paint) {
    setObjectName(QLatin1String(name));
    setGeometry(rect);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    m_paint(painter, *this);
  }

 private:
  PaintFunction m_paint;
};

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

}  // namespace

MainWindow::MainWindow(Desktop& desktop, SettingsStore& store, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_desktop(desktop),
      m_store(store),
      m_fade(DefaultFade()) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QString::fromLatin1(kAppTitle));
  setFixedSize(kWindowSize);

  m_picture1 = new Panel(this, "Picture1", kPicture1Rect, &PaintTitleStrip);
  // The body overlaps the lower edge of the title strip and lies above it.
  m_picture2 = new Panel(this, "Picture2", kPicture2Rect, &PaintBody);
  m_label3 = MakeSpot(m_picture1, "Label3", QStringLiteral("Close"), kLabel3Rect);
  m_label1 = MakeSpot(m_picture2, "Label1", QStringLiteral("Options"), kLabel1Rect);
  m_label2 = MakeSpot(m_picture2, "Label2", QStringLiteral("Help"), kLabel2Rect);

  m_text1 = new QLineEdit(m_picture2);
  m_text1->setObjectName(QStringLiteral("Text1"));
  m_text1->setGeometry(kText1Rect);
  m_text1->setFrame(false);
  QPalette palette = m_text1->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  m_text1->setPalette(palette);
  m_text1->setAutoFillBackground(true);
  m_fade.TextToFade = kInitialText;
  m_text1->setText(QString::fromUtf8(kInitialText));
  connect(m_text1, &QLineEdit::textChanged, this,
          [this](const QString& text) { m_fade.TextToFade = text.toStdString(); });

  for (QWidget* watched : {m_picture1, m_picture2, m_label1, m_label2, m_label3}) {
    watched->installEventFilter(this);
  }

  BuildMenus();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
  const auto addCommand = [this](QMenu* menu, const char* name, const char* caption,
                                 void (MainWindow::*handler)()) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, handler);
  };
  const auto addSeparator = [](QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QLatin1String(name));
  };
  const auto makeMenu = [this](const char* name, const char* caption) {
    QMenu* menu = new QMenu(QString::fromUtf8(caption), this);
    menu->setObjectName(QLatin1String(name));
    menu->setAccessibleName(QString::fromUtf8(caption));
    return menu;
  };

  m_options = makeMenu("sOptions", "Options");
  addCommand(m_options, "sMakeHTML", "Make HTML File", &MainWindow::sMakeHTML_Click);
  addCommand(m_options, "sClipboard", "Copy to Clipboard", &MainWindow::sClipboard_Click);
  addSeparator(m_options, "ssssshehe");
  addCommand(m_options, "sOpenFade", "Open Fade", &MainWindow::sOpenFade_Click);
  addCommand(m_options, "sSaveFade", "Save Fade", &MainWindow::sSaveFade_Click);
  addCommand(m_options, "sFadeInfo", "Fade Info", &MainWindow::sFadeInfo_Click);
  addSeparator(m_options, "shhhhhhehe");
  m_random = makeMenu("sRandom", "Random Fades");
  m_options->addMenu(m_random);
  addCommand(m_random, "s2Color", "2 Color Fade", &MainWindow::s2Color_Click);
  addCommand(m_random, "s3Color", "3 Color Fade", &MainWindow::s3Color_Click);
  addCommand(m_random, "s4color", "4 Color Fade", &MainWindow::s4color_Click);
  addCommand(m_random, "s5color", "5 Color Fade", &MainWindow::s5color_Click);
  addCommand(m_random, "s10color", "10 Color Fade", &MainWindow::s10color_Click);
  addCommand(m_options, "sConfigure", "Configure", &MainWindow::sConfigure_Click);
  addCommand(m_options, "sMinimize", "Minimize", &MainWindow::sMinimize_Click);
  addSeparator(m_options, "uhhhhhehe");
  addCommand(m_options, "sExit", "Exit", &MainWindow::sExit_Click);

  m_help = makeMenu("sHelp", "Help");
  addCommand(m_help, "sAbout", "About", &MainWindow::sAbout_Click);
  addCommand(m_help, "sRegister", "Visit Quorvel Designs", &MainWindow::sRegister_Click);
  addCommand(m_help, "sAA", "Get Paid to Surf the Web!", &MainWindow::sAA_Click);
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
  if (!saved.ok()) m_desktop.ShowMessage(saved.message(), kErrorTitle, MessageIcon::Critical);
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

void MainWindow::SyncText1() {
  const QString text = QString::fromStdString(m_fade.TextToFade);
  if (m_text1->text() != text) m_text1->setText(text);
}

void MainWindow::sMakeHTML_Click() {
  tintrix::sMakeHTML_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::sClipboard_Click() {
  tintrix::sClipboard_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::sOpenFade_Click() {
  tintrix::sOpenFade_Click(m_fade, m_desktop, m_currentFadeFile);
  SyncText1();
}

void MainWindow::sSaveFade_Click() {
  tintrix::sSaveFade_Click(m_fade, m_desktop, m_currentFadeFile);
  SyncText1();
}

void MainWindow::sFadeInfo_Click() {
  tintrix::sFadeInfo_Click(m_desktop, m_currentFadeFile);
  SyncText1();
}

void MainWindow::s2Color_Click() {
  tintrix::s2Color_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::s3Color_Click() {
  tintrix::s3Color_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::s4color_Click() {
  tintrix::s4color_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::s5color_Click() {
  tintrix::s5color_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::s10color_Click() {
  tintrix::s10color_Click(m_fade, m_desktop);
  SyncText1();
}

void MainWindow::sConfigure_Click() { SetColors::Show(m_fade, m_desktop, this); }

void MainWindow::sAbout_Click() {
  frmAbout box(m_desktop, this);
  box.exec();
}

void MainWindow::sRegister_Click() { OpenWebPage(QUrl(QString::fromLatin1(kMakerWebsite))); }

void MainWindow::sAA_Click() { OpenWebPage(QUrl(QString::fromLatin1(kSignUpPage))); }

void MainWindow::sMinimize_Click() { showMinimized(); }

void MainWindow::sExit_Click() { close(); }

void MainWindow::Label1_MouseDown(const QPoint& globalPos) { m_options->exec(globalPos); }

void MainWindow::Label2_MouseDown(const QPoint& globalPos) { m_help->exec(globalPos); }

void MainWindow::Label3_Click() { close(); }

void MainWindow::Picture_MouseDown(const QPoint& globalPos, Qt::MouseButton button) {
  // The window follows the pointer until the release. The system takes over a left-button
  // drag where it can, but only once the pointer moves with the button held: started at the
  // press, a quick click whose release the window manager never sees would leave the window
  // stuck to the pointer. Window managers end a move on a left-button release only, so the
  // window follows other buttons itself.
  m_dragging = true;
  m_systemMove = button == Qt::LeftButton;
  m_dragOffset = globalPos - pos();
}

void MainWindow::Picture_MouseMove(const QPoint& globalPos) {
  if (!m_dragging) return;
  if (m_systemMove) {
    m_systemMove = false;
    if (StartWindowDrag(this, [this] { return m_dragging; })) {
      m_dragging = false;
      return;
    }
  }
  move(globalPos - m_dragOffset);
}

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
      Picture_MouseDown(GlobalPos(event), static_cast<QMouseEvent*>(event)->button());
    } else if (type == QEvent::MouseMove) {
      Picture_MouseMove(GlobalPos(event));
    } else {
      m_dragging = false;
    }
  } else {
    return QWidget::eventFilter(watched, event);
  }
  return true;
}

}  // namespace tintrix
