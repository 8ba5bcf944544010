#pragma once

#include <QLineEdit>
#include <QTextLayout>

#include <memory>

#include "engine/fadesettings.h"
#include "ui/fadepreview.h"

namespace tintrix {

// The main window's entry field: a QLineEdit for a text of any length. Qt lays out and draws
// the whole line on every paint, some 150 ms for a million characters, which would freeze the
// window at every blink of the cursor and at every pass of a long fade. Past kLongText
// characters this field draws, and maps mouse presses to, only the stretch of text around the
// cursor that can be on screen; editing stays QLineEdit's own.
//
// The text is shown in its fade (FadePreview): the fade's styles are the field's font, so that
// QLineEdit's cursor, selection and mouse keep to the characters as drawn; the characters that
// are not selected are coloured where QLineEdit drew them, or with the wave drawn again off the
// line (DrawFaded). This takes the field's text to be black on white, as the window has it.
// The text itself, and so the clipboard, undo and accessibility, stays plain. While an input
// method composes in a short text, the field shows QLineEdit's own drawing, which alone shows
// the text being composed.
class TextEntry final : public QLineEdit {
 public:
  // Characters from which only the stretch around the cursor is laid out for painting.
  static constexpr int kLongText = 20000;

  explicit TextEntry(QWidget* parent);
  ~TextEntry() override;

  // Shows the text in `fade` from now on (its stored fields; its text plays no part).
  void SetFade(const FadeSettings& fade);

  // The preview of the text as it is shown, for tests.
  FadePreview& preview() { return m_preview; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
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
  // Lays out text [from, to), as QLineEdit lays out the whole text.
  void LayOutRange(Stretch& stretch, int from, int to) const;
  // Lays out the stretch around the cursor.
  void LayOutAroundCursor(Stretch& stretch) const;
  // LayOutAroundCursor, then scrolls so that the cursor is in view and places the stretch.
  void LayOut(Stretch& stretch);
  int PositionAt(const QPointF& point);
  void PaintLong();
  // Draws the fade over what QLineEdit drew of a short text.
  void PaintShortFade();
  // Lets QLineEdit draw its text in the palette's colour, or in none where the wave draws it
  // again.
  void ShowFadeOverText();
  // The input method has done composing, or is taken to have.
  void StopComposing();
  QColor PlainTextColor() const {
    return m_fadeOverText ? m_plainText : palette().color(QPalette::Text);
  }

  int m_scroll = 0;  // pixels the text is moved left beyond where QLineEdit last put it
  int m_anchor = 0;  // where a drag of the mouse started selecting
  FadePreview m_preview;
  // The stretch of a short text last painted, and the cursor it was laid out around.
  Stretch m_shortStretch;
  bool m_shortStale = true;
  int m_shortCursor = 0;
  bool m_composing = false;     // an input method shows text it has not yet committed
  bool m_fadeOverText = false;  // QLineEdit's text is drawn in no colour, the wave draws it
  QColor m_plainText;           // the palette's text colour while it is taken away
};

}  // namespace tintrix
