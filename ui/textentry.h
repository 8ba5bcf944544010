#pragma once

#include <QLineEdit>
#include <QTextLayout>

namespace tintrix {

// The main window's entry field: a QLineEdit for a text of any length. Qt lays out and draws
// the whole line on every paint, some 150 ms for a million characters, which would freeze the
// window at every blink of the cursor and at every pass of a long fade. Past kLongText
// characters this field draws, and maps mouse presses to, only the stretch of text around the
// cursor that can be on screen; editing stays QLineEdit's own.
class TextEntry final : public QLineEdit {
 public:
  // Characters from which only the stretch around the cursor is laid out for painting.
  static constexpr int kLongText = 20000;

  explicit TextEntry(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The characters around the cursor, laid out, and where they start on screen.
  struct Stretch {
    int from = 0;  // index in the text of the first character laid out
    QTextLayout layout;
    QPointF origin;  // where the layout's left end lies in this widget
  };
  bool IsLong() const { return text().size() > kLongText; }
  QRect TextArea() const;
  // Lays out the stretch around the cursor and scrolls so that the cursor is in view.
  void LayOut(Stretch& stretch);
  int PositionAt(const QPointF& point);

  int m_scroll = 0;  // pixels the text is moved left beyond where QLineEdit last put it
  int m_anchor = 0;  // where a drag of the mouse started selecting
};

}  // namespace tintrix
