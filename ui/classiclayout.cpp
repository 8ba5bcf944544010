#include "ui/classiclayout.h"

#include <QWidget>

namespace tintrix {

int TwipsToPixels(int twips) {
  // Whole twips never fall halfway between two pixels, so the direction of halves is moot.
  return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect Twips(int left, int top, int width, int height) {
  return QRect(QPoint(TwipsToPixels(left), TwipsToPixels(top)),
               QPoint(TwipsToPixels(left + width) - 1, TwipsToPixels(top + height) - 1));
}

QFont DialogFont() {
  QFont font;
  // Where the classic face is missing, a face of Arial's metrics keeps the captions inside
  // their controls; the desktop's default sans-serif face is usually wider.
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma"),
                    QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("Helvetica")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

void ShrinkToFit(QWidget* widget) {
  auto fits = [widget] {
    if (widget->hasHeightForWidth()) {
      return widget->heightForWidth(widget->width()) <= widget->height();
    }
    return widget->sizeHint().width() <= widget->width();
  };
  QFont font = widget->font();
  constexpr double kSmallestPoints = 6.0;
  while (!fits() && font.pointSizeF() > kSmallestPoints) {
    font.setPointSizeF(font.pointSizeF() - 0.25);
    widget->setFont(font);
  }
}

}  // namespace tintrix
