#include "ui/windowfont.h"

#include <QGuiApplication>

namespace tintrix {

QString WindowFontFamily() { return QGuiApplication::font().family(); }

QFont DialogFont() {
  QFont font(WindowFontFamily());
  font.setPointSizeF(8.25);
  return font;
}

}  // namespace tintrix
