#include "ui/mainwindowart.h"

#include <QLinearGradient>
#include <QPainter>

#include "platform/desktop.h"
#include "ui/classiclayout.h"

namespace tintrix {

const QSize MainWindowLayout::kWindow = Twips(0, 0, 4050, 1050).size();
const QRect MainWindowLayout::kTitleStrip = Twips(0, 0, 4095, 375);
const QRect MainWindowLayout::kBody = Twips(0, 320, 4095, 855);
const QRect MainWindowLayout::kOptionsSpot = Twips(120, 50, 615, 160);
const QRect MainWindowLayout::kHelpSpot = Twips(720, 0, 495, 220);
const QRect MainWindowLayout::kCloseSpot = Twips(3720, 0, 255, 255);
const QRect MainWindowLayout::kTextEntry = Twips(160, 290, 3735, 310);

namespace {

// The blue-grey of both panels, dark at the left and lighter to the right. Both panels start
// at the window's left edge, so one gradient over the window's width joins them seamlessly.
QLinearGradient PanelGradient() {
  QLinearGradient gradient(0, 0, MainWindowLayout::kWindow.width(), 0);
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

  const QString title = QString::fromLatin1(kAppTitle);
  painter.setFont(BoldFontFitting(panel.font(), title, 12, 120));
  painter.setPen(Qt::white);
  painter.drawText(QRectF(22, 0, 140, 21), Qt::AlignLeft | Qt::AlignVCenter, title);

  // The boxed X over the close spot.
  const QRectF box = QRectF(MainWindowLayout::kCloseSpot).adjusted(2.5, 3.5, -2.5, -1.5);
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
  const QFont font = BoldFontFitting(
      panel.font(), options, 11,
      MainWindowLayout::kHelpSpot.left() - MainWindowLayout::kOptionsSpot.left() - 5);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setFont(font);
  painter.setPen(Qt::white);
  const QRectF line(0, MainWindowLayout::kOptionsSpot.top() - 1, 0,
                    MainWindowLayout::kOptionsSpot.height() + 2);
  painter.drawText(line.adjusted(MainWindowLayout::kOptionsSpot.left(), 0, 100, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, options);
  painter.drawText(line.adjusted(MainWindowLayout::kHelpSpot.left() + 3, 0, 100, 0),
                   Qt::AlignLeft | Qt::AlignVCenter, help);

  // The thin light rule under the menu bar.
  const qreal ruleY = MainWindowLayout::kTextEntry.top() - 3.5;
  painter.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
  painter.drawLine(QPointF(4, ruleY), QPointF(MainWindowLayout::kWindow.width() - 4, ruleY));

  // The entry field: white, with a dark one-pixel frame just outside Text1.
  const QRectF field = QRectF(MainWindowLayout::kTextEntry).adjusted(-0.5, -0.5, 0.5, 0.5);
  painter.setPen(QPen(QColor(0x14, 0x1A, 0x26), 1.0));
  painter.setBrush(Qt::white);
  painter.drawRect(field);
}

}  // namespace

MainWindowPanel::MainWindowPanel(QWidget* parent, Art art) : QWidget(parent), m_art(art) {
  const bool title = art == Art::kTitleStrip;
  setObjectName(title ? QStringLiteral("Picture1") : QStringLiteral("Picture2"));
  setGeometry(title ? MainWindowLayout::kTitleStrip : MainWindowLayout::kBody);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void MainWindowPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (m_art == Art::kTitleStrip) {
    PaintTitleStrip(painter, *this);
  } else {
    PaintBody(painter, *this);
  }
}

}  // namespace tintrix
