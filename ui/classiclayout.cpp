#include "ui/classiclayout.h"

#include <QFont>
#include <QPushButton>
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

namespace {

constexpr double kSmallestPoints = 6.0;
constexpr double kPointStep = 0.25;

bool CaptionFits(const QWidget* widget) {
  if (widget->hasHeightForWidth()) {
    return widget->heightForWidth(widget->width()) <= widget->height();
  }
  return widget->sizeHint().width() <= widget->width();
}

// Steps the font of every widget down together until `fits` holds for all of them.
template <typename Fits>
void ShrinkWhile(std::span<QWidget* const> widgets, Fits fits) {
  if (widgets.empty()) return;
  double points = widgets.front()->font().pointSizeF();
  const auto allFit = [&] {
    for (QWidget* widget : widgets) {
      if (!fits(widget)) return false;
    }
    return true;
  };
  while (!allFit() && points > kSmallestPoints) {
    points -= kPointStep;
    for (QWidget* widget : widgets) {
      QFont font = widget->font();
      font.setPointSizeF(points);
      widget->setFont(font);
    }
  }
}

}  // namespace

void ShrinkToFit(QWidget* widget) { ShrinkToFitTogether({&widget, 1}); }

void ShrinkToFitTogether(std::span<QWidget* const> widgets) { ShrinkWhile(widgets, CaptionFits); }

void ShrinkCaptionToFit(QPushButton* button, int room) {
  QWidget* const widgets[] = {button};
  ShrinkWhile(widgets, [room](QWidget* widget) {
    const auto* push = static_cast<const QPushButton*>(widget);
    QString caption = push->text();
    caption.remove(QLatin1Char('&'));  // the access key's mark is not drawn
    return push->fontMetrics().horizontalAdvance(caption) + 2 * room <= push->width();
  });
}

}  // namespace tintrix
