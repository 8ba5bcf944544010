#include "ui/textentry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <limits>

namespace tintrix {

namespace {

// Characters laid out on each side of the cursor: far more than the field shows.
constexpr int kStretch = 400;
// QLineEdit leaves this much room between its frame and its text.
constexpr int kHorizontalMargin = 2;

// A stretch boundary moved off the second half of a surrogate pair.
int OffLowSurrogate(const QString& text, int at) {
  return at > 0 && at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at;
}

}  // namespace

TextEntry::TextEntry(QWidget* parent) : QLineEdit(parent) {
  // Qt cuts a line edit's text at 32,767 characters by default, wherever that falls (inside a
  // character, even); the text to fade may be of any length.
  setMaxLength(std::numeric_limits<int>::max());
}

QRect TextEntry::TextArea() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  area = area.marginsRemoved(textMargins());
  return area.adjusted(kHorizontalMargin, 0, -kHorizontalMargin, 0);
}

void TextEntry::LayOut(Stretch& stretch) {
  const QString all = text();
  const int cursor = cursorPosition();
  stretch.from = OffLowSurrogate(all, std::max(0, cursor - kStretch));
  // Within the text, whose length is an int (setMaxLength above).
  const int to = OffLowSurrogate(
      all, static_cast<int>(std::min<qsizetype>(all.size(), qsizetype{cursor} + kStretch)));
  stretch.layout.setText(all.mid(stretch.from, to - stretch.from));
  stretch.layout.setFont(font());
  stretch.layout.beginLayout();
  QTextLine line = stretch.layout.createLine();
  stretch.layout.endLayout();

  // QLineEdit keeps the cursor's place up to date without painting; keep it in view.
  const QRect area = TextArea();
  const int cursorX = cursorRect().center().x();
  if (cursorX - m_scroll > area.right()) m_scroll = cursorX - area.right();
  if (cursorX - m_scroll < area.left()) m_scroll = cursorX - area.left();
  const qreal inStretch = line.cursorToX(cursor - stretch.from);
  const qreal top = area.top() + (area.height() - line.height()) / 2;
  stretch.origin = QPointF(cursorX - m_scroll - inStretch, top);
}

int TextEntry::PositionAt(const QPointF& point) {
  Stretch stretch;
  LayOut(stretch);
  const QTextLine line = stretch.layout.lineAt(0);
  return stretch.from + line.xToCursor(point.x() - stretch.origin.x());
}

void TextEntry::paintEvent(QPaintEvent* event) {
  if (!IsLong()) {
    m_scroll = 0;
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.fillRect(rect(), palette().brush(QPalette::Base));
  Stretch stretch;
  LayOut(stretch);
  QList<QTextLayout::FormatRange> selections;
  if (hasSelectedText()) {
    const auto length = static_cast<int>(stretch.layout.text().size());  // 2 kStretch at most
    const int from = std::clamp(selectionStart() - stretch.from, 0, length);
    const int to = std::clamp(selectionEnd() - stretch.from, 0, length);
    QTextLayout::FormatRange selected;
    selected.start = from;
    selected.length = to - from;
    selected.format.setBackground(palette().brush(QPalette::Highlight));
    selected.format.setForeground(palette().brush(QPalette::HighlightedText));
    selections.append(selected);
  }
  painter.setPen(palette().color(QPalette::Text));
  const QRect area = TextArea();
  painter.setClipRect(area.adjusted(-kHorizontalMargin, 0, kHorizontalMargin, 0));
  stretch.layout.draw(&painter, stretch.origin, selections, area);
  if (hasFocus()) {
    stretch.layout.drawCursor(&painter, stretch.origin, cursorPosition() - stretch.from);
  }
}

void TextEntry::mousePressEvent(QMouseEvent* event) {
  if (!IsLong() || event->button() != Qt::LeftButton) {
    QLineEdit::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const int position = PositionAt(event->position());
  if (event->modifiers().testFlag(Qt::ShiftModifier)) {
    m_anchor = hasSelectedText()
                   ? (selectionStart() == cursorPosition() ? selectionEnd() : selectionStart())
                   : cursorPosition();
    setSelection(m_anchor, position - m_anchor);
  } else {
    m_anchor = position;
    setCursorPosition(position);
  }
  update();
}

void TextEntry::mouseMoveEvent(QMouseEvent* event) {
  if (!IsLong() || !event->buttons().testFlag(Qt::LeftButton)) {
    QLineEdit::mouseMoveEvent(event);
    return;
  }
  const int position = PositionAt(event->position());
  setSelection(m_anchor, position - m_anchor);
  update();
}

void TextEntry::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!IsLong()) {
    QLineEdit::mouseDoubleClickEvent(event);
    return;
  }
  mousePressEvent(event);  // Qt's word selection would look in the wrong place
}

}  // namespace tintrix
