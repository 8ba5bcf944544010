#include "ui/stripspot.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "ui/accessibility.h"

namespace tintrix {

StripSpot::StripSpot(QWidget* parent, const char* name, const QString& accessibleName,
                     const QRect& rect)
    : QAbstractButton(parent) {
  InstallAccessibleInterfaces();
  setObjectName(QLatin1String(name));
  setAccessibleName(accessibleName);
  setGeometry(rect);
  // Tab only: a click on a word keeps the focus where it was, in the entry field as a rule.
  setFocusPolicy(Qt::TabFocus);
  connect(this, &QAbstractButton::clicked, this, [this] {
    if (m_menu != nullptr) OpenMenu();
  });
}

void StripSpot::OpenMenu() {
  for (QAction* action : m_menu->actions()) {
    if (!action->isSeparator() && action->isEnabled()) {
      m_menu->setActiveAction(action);
      break;
    }
  }
  m_menu->popup(mapToGlobal(QPoint(0, height())));
}

void StripSpot::paintEvent(QPaintEvent*) {
  // As on Qt's own controls, the mark shows only once the keyboard has moved the focus in this
  // window: Qt marks the window when Tab or Backtab does.
  if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange)) return;
  QPainter painter(this);
  const QRect mark = rect().adjusted(0, 0, -1, -1);
  // Dark and white pixels in turn, so that the mark shows on both ends of the gradient.
  painter.setPen(QColor(0x14, 0x1A, 0x26));
  painter.drawRect(mark);
  QPen dots(Qt::white);
  dots.setDashPattern({1, 1});
  painter.setPen(dots);
  painter.drawRect(mark);
}

void StripSpot::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  const int key = event->key();
  const bool clicks = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter ||
                      (key == Qt::Key_Down && m_menu != nullptr);
  if (plain && clicks) {
    // A held key opens the menu or closes the program once.
    if (!event->isAutoRepeat()) click();
    event->accept();
    return;
  }
  // Not the button's own handling: its arrow keys would move the focus, and Space would click
  // a second time on its release.
  QWidget::keyPressEvent(event);  // NOLINT(bugprone-parent-virtual-call)
}

void StripSpot::keyReleaseEvent(QKeyEvent* event) {
  QWidget::keyReleaseEvent(event);  // NOLINT(bugprone-parent-virtual-call)
}

}  // namespace tintrix
