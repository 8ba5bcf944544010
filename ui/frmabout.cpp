#include "ui/frmabout.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/appicon.h"
#include "ui/classiclayout.h"
#include "ui/sysinfo.h"
#include "ui/weblinks.h"
#include "ui/windowfont.h"
#include "ui/windowutils.h"

namespace tintrix {

namespace {

// A push button whose caption wraps over as many lines as its height allows; QPushButton
// itself draws one line only.
class WrappingButton final : public QPushButton {
 public:
  WrappingButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    // The caption may use the whole face inside the bevel, and steps its font down when the
    // wrapped lines would still not fit.
    QRect area = rect().adjusted(3, 2, -3, -2);
    if (isDown()) {
      area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                     style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    constexpr int kFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    QFont caption = font();
    while (caption.pointSizeF() > 6.0 &&
           QFontMetrics(caption).boundingRect(area, kFlags, text()).height() > area.height()) {
      caption.setPointSizeF(caption.pointSizeF() - 0.25);
    }
    painter.setFont(caption);
    painter.drawItemText(area, kFlags, palette(), isEnabled(), text(), QPalette::ButtonText);
  }
};

const char kDescription[] =
    "Tintrix allows you to add faded text to a webpage, or any document supporting Rich Text. "
    "Tintrix will fade between 2, 3, 4, 5, or 10 colors, all user-defined, and will either copy "
    "the HTML source to the clipboard, or create an HTML file.  Please visit the Quorvel Designs "
    "website to browse our other great software titles!";

}  // namespace

frmAbout::frmAbout(const Ports& ports, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ports(ports) {
  setObjectName(QStringLiteral("frmAbout"));
  // An empty title would make the desktop show the application's name instead.
  setWindowTitle(QStringLiteral(" "));
  // An empty icon would fall back to the application's; a blank one shows none.
  QPixmap blank(16, 16);
  blank.fill(Qt::transparent);
  setWindowIcon(QIcon(blank));
  setModal(true);
  setFont(DialogFont());
  setFixedSize(Twips(0, 0, 5730, 3480).size());

  BuildControls();
  LoadContents();
}

void frmAbout::BuildControls() {
  QPushButton* cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setGeometry(Twips(3240, 3000, 900, 255));
  cmdOK->setDefault(true);
  // Enter presses the default button; Esc rejects the dialog, which closes it the same way.
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

  QLabel* picIcon = new QLabel(this);
  picIcon->setObjectName(QStringLiteral("picIcon"));
  const QRect iconRect = Twips(240, 240, 540, 540);
  const QIcon appIcon = QGuiApplication::windowIcon();
  picIcon->setPixmap(appIcon.isNull() ? PaintAppIcon(iconRect.width())
                                      : appIcon.pixmap(iconRect.size()));
  picIcon->setGeometry(iconRect);

  QPushButton* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
  cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
  cmdSysInfo->setGeometry(Twips(4200, 3000, 1245, 255));
  connect(cmdSysInfo, &QPushButton::clicked, this,
          [this] { StartSysInfo(m_ports.desktop, m_ports.shell); });

  QLabel* lblDescription = new QLabel(QString::fromLatin1(kDescription), this);
  lblDescription->setObjectName(QStringLiteral("lblDescription"));
  lblDescription->setGeometry(Twips(1050, 1200, 3885, 1410));
  lblDescription->setWordWrap(true);
  lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  QLabel* lblTitle = new QLabel(QString::fromLatin1(kAppTitle), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setGeometry(Twips(1050, 240, 3885, 480));
  lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont titleFont = font();
  titleFont.setPointSizeF(12);
  lblTitle->setFont(titleFont);

  // Both labels are black, whatever the desktop's colour scheme.
  for (QLabel* label : {lblDescription, lblTitle}) {
    QPalette black = label->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(black);
  }

  ShrinkToFit(lblDescription);

  QPushButton* command1 = new QPushButton(QStringLiteral("Quorvel Designs Website"), this);
  command1->setObjectName(QStringLiteral("Command1"));
  command1->setGeometry(Twips(120, 3000, 1935, 255));
  connect(command1, &QPushButton::clicked, this,
          [this] { OpenWebPage(m_ports.shell, kMakerWebsite); });

  QPushButton* command2 = new WrappingButton(QStringLiteral("Get Paid to Surf the Web!"), this);
  command2->setObjectName(QStringLiteral("Command2"));
  command2->setGeometry(Twips(2160, 2760, 975, 615));
  connect(command2, &QPushButton::clicked, this,
          [this] { OpenWebPage(m_ports.shell, kSignUpPage); });

  // A face standing in for the classic one may run wider: every caption keeps some room.
  constexpr int kCaptionRoom = 4;
  for (QPushButton* button : {cmdOK, cmdSysInfo, command1})
    ShrinkCaptionToFit(button, kCaptionRoom);

  setTabOrder(cmdOK, cmdSysInfo);
  setTabOrder(cmdSysInfo, command1);
  setTabOrder(command1, command2);
  cmdOK->setFocus();
}

void frmAbout::LoadContents() {
  MakeTopmost(this);
  CentreOnScreenOnceFramed(this);
}

}  // namespace tintrix
