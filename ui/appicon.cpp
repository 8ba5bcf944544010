#include "ui/appicon.h"

#include <QLinearGradient>
#include <QPainter>

namespace tintrix {

QPixmap PaintAppIcon(int size) {
  QPixmap icon(size, size);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  painter.setRenderHint(QPainter::Antialiasing);

  QLinearGradient fade(0, 0, size, 0);
  fade.setColorAt(0.0, QColor(0, 0, 255));
  fade.setColorAt(0.5, QColor(128, 128, 192));
  fade.setColorAt(1.0, QColor(255, 128, 255));
  const QRectF tile(0.5, 0.5, size - 1.0, size - 1.0);
  painter.setPen(QPen(QColor(32, 32, 64), 1));
  painter.setBrush(fade);
  painter.drawRoundedRect(tile, size / 6.0, size / 6.0);

  QFont letter(QStringLiteral("Arial"));
  letter.setStyleHint(QFont::SansSerif);
  letter.setBold(true);
  letter.setPixelSize(size * 2 / 3);
  painter.setFont(letter);
  painter.setPen(Qt::white);
  painter.drawText(tile, Qt::AlignCenter, QStringLiteral("T"));
  return icon;
}

QIcon PaintedAppIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128}) icon.addPixmap(PaintAppIcon(size));
  return icon;
}

}  // namespace tintrix
