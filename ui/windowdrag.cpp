#include "ui/windowdrag.h"

#include <QWidget>

#include "ui/windowutils.h"

namespace tintrix {

void WindowDrag::Press(const QPoint& globalPos, bool leftButton) {
  m_dragging = true;
  m_systemMove = leftButton;
  m_offset = globalPos - m_window->pos();
}

void WindowDrag::Move(const QPoint& globalPos) {
  if (!m_dragging) return;
  if (m_systemMove) {
    m_systemMove = false;
    if (StartWindowDrag(m_window, [this] { return m_dragging; })) {
      m_dragging = false;
      return;
    }
  }
  m_window->move(globalPos - m_offset);
}

}  // namespace tintrix
