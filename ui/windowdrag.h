#pragma once

#include <QPoint>

class QWidget;

namespace tintrix {

// Moves a frameless window with the pointer while a mouse button is held on it. The system
// takes over a left-button drag where it can (StartWindowDrag), but only once the pointer
// moves with the button held: started at the press, a quick click whose release the window
// manager never sees would leave the window stuck to the pointer. Window managers end a move
// on a left-button release only, so the window follows other buttons itself. `window` is not
// owned.
class WindowDrag {
 public:
  explicit WindowDrag(QWidget* window) : m_window(window) {}

  void Press(const QPoint& globalPos, bool leftButton);
  void Move(const QPoint& globalPos);
  void Release() { m_dragging = false; }

 private:
  QWidget* m_window;
  bool m_dragging = false;    // a press is held: the window follows it
  bool m_systemMove = false;  // the system is asked to take over at the first move
  QPoint m_offset;            // pointer position minus window position at the press
};

}  // namespace tintrix
