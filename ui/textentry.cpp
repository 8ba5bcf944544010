#include "ui/textentry.h"

#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/fadedline.h"

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
  connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
    m_preview.SetText(text);
    m_shortStale = true;
    // A text set from outside ends a composition without a word from the input method.
    StopComposing();
  });
}

TextEntry::~TextEntry() = default;

void TextEntry::SetFade(const FadeSettings& fade) {
  if (!m_preview.SetFade(fade)) return;
  const QFont styled =
      m_preview.StyledFont(parentWidget() != nullptr ? parentWidget()->font() : QFont());
  if (styled != font()) setFont(styled);
  m_shortStale = true;
  ShowFadeOverText();
  update();
}

void TextEntry::ShowFadeOverText() {
  const bool over = m_preview.Wavy() && !m_composing;
  if (over == m_fadeOverText) return;
  m_fadeOverText = over;
  // Under the wave QLineEdit draws its text in no colour: its background, selection and cursor
  // (which inverts what is under it) are all that shows of its drawing.
  QPalette colors = palette();
  if (over) m_plainText = colors.color(QPalette::Text);
  colors.setColor(QPalette::Text, over ? QColor(Qt::transparent) : m_plainText);
  setPalette(colors);
}

void TextEntry::inputMethodEvent(QInputMethodEvent* event) {
  QLineEdit::inputMethodEvent(event);
  m_composing = !event->preeditString().isEmpty();
  ShowFadeOverText();
}

void TextEntry::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  StopComposing();
}

void TextEntry::StopComposing() {
  if (!m_composing) return;
  m_composing = false;
  ShowFadeOverText();
  update();
}

QRect TextEntry::TextArea() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
  area = area.marginsRemoved(textMargins());
  return area.adjusted(kHorizontalMargin, 0, -kHorizontalMargin, 0);
}

void TextEntry::LayOutRange(Stretch& stretch, int from, int to) const {
  const QString all = text();
  stretch.from = OffLowSurrogate(all, from);
  to = OffLowSurrogate(all, to);
  stretch.layout.setText(all.mid(stretch.from, to - stretch.from));
  stretch.layout.setFont(font());
  // As QLineEdit lays out its text: one line, trailing blanks counted, in the direction of the
  // whole text's first strong character.
  QTextOption option = stretch.layout.textOption();
  option.setTextDirection(all.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
  option.setFlags(QTextOption::IncludeTrailingSpaces);
  stretch.layout.setTextOption(option);
  stretch.layout.beginLayout();
  stretch.layout.createLine();
  stretch.layout.endLayout();
}

void TextEntry::LayOutAroundCursor(Stretch& stretch) const {
  const int cursor = cursorPosition();
  // Within the text, whose length is an int (setMaxLength above).
  LayOutRange(stretch, std::max(0, cursor - kStretch),
              static_cast<int>(std::min<qsizetype>(text().size(), qsizetype{cursor} + kStretch)));
}

void TextEntry::LayOut(Stretch& stretch) {
  LayOutAroundCursor(stretch);
  const QTextLine line = stretch.layout.lineAt(0);
  // QLineEdit keeps the cursor's place up to date without painting; keep it in view.
  const QRect area = TextArea();
  const int cursorX = cursorRect().center().x();
  if (cursorX - m_scroll > area.right()) m_scroll = cursorX - area.right();
  if (cursorX - m_scroll < area.left()) m_scroll = cursorX - area.left();
  const qreal inStretch = line.cursorToX(cursorPosition() - stretch.from);
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
    if (m_preview.HasColors() && !m_composing) PaintShortFade();
    return;
  }
  PaintLong();
}

void TextEntry::PaintShortFade() {
  const QRect area = TextArea().adjusted(-kHorizontalMargin, 0, kHorizontalMargin, 0);
  // Laid out again only when the text, the font or the cursor (and so the scrolling) changed,
  // not at a blink: the characters QLineEdit shows, and a few more on each side, so that a
  // keystroke shapes little more than the field shows.
  if (m_shortStale || m_shortCursor != cursorPosition()) {
    m_shortStale = false;
    m_shortCursor = cursorPosition();
    if (m_preview.HasRightToLeft()) {
      LayOutAroundCursor(m_shortStretch);
    } else {
      const int y = area.center().y();
      const int left = cursorPositionAt(QPoint(area.left(), y));
      const int right = cursorPositionAt(QPoint(area.right(), y));
      const auto [from, to] = m_preview.Whole(std::min({left, right, m_shortCursor}) - 1,
                                              std::max({left, right, m_shortCursor}) + 1);
      LayOutRange(m_shortStretch, from, to);
    }
  }
  const Stretch& stretch = m_shortStretch;
  const QTextLine line = stretch.layout.lineAt(0);
  // QLineEdit draws its text where its cursor's rectangle says: the cursor 5 pixels right of
  // the rectangle's left, the line's top at the rectangle's less what the line's ascent has
  // beyond the font's.
  const QRect cursor = cursorRect();
  const qreal cursorX = cursor.x() + 5;
  const QPointF origin(
      cursorX - qRound(line.cursorToX(m_shortCursor - stretch.from)),
      cursor.y() + textMargins().top() - (qRound(line.ascent()) - fontMetrics().ascent()));
  const PlacedLine placed{stretch.layout, origin, stretch.from};
  QRegion region(area);
  // What QLineEdit drew of the selection and the cursor stays as it is.
  if (hasSelectedText()) {
    region -= SpanOf(placed, selectionStart(), selectionEnd(), area, m_preview.HasRightToLeft());
  } else if (hasFocus() && !m_preview.Wavy()) {
    // The cursor's column, as QTextLayout::drawCursor fills it.
    const qreal x = origin.x() + line.cursorToX(m_shortCursor - stretch.from);
    const int width = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    const int left = static_cast<int>(std::floor(x));
    region -= QRect(left, area.top(), static_cast<int>(std::ceil(x + width)) - left, area.height());
  }
  QPainter painter(this);
  DrawFaded(painter, placed, m_preview, region, PlainTextColor());
}

void TextEntry::PaintLong() {
  QPainter painter(this);
  painter.fillRect(rect(), palette().brush(QPalette::Base));
  Stretch stretch;
  LayOut(stretch);
  const QRect area = TextArea();
  const QRect shown = area.adjusted(-kHorizontalMargin, 0, kHorizontalMargin, 0);
  const PlacedLine placed{stretch.layout, stretch.origin, stretch.from};
  QRegion unselected(shown);
  if (hasSelectedText()) {
    const auto length = static_cast<int>(stretch.layout.text().size());  // 2 kStretch at most
    const int from = std::clamp(selectionStart() - stretch.from, 0, length);
    const int to = std::clamp(selectionEnd() - stretch.from, 0, length);
    QTextLayout::FormatRange selected;
    selected.start = from;
    selected.length = to - from;
    selected.format.setBackground(palette().brush(QPalette::Highlight));
    selected.format.setForeground(palette().brush(QPalette::HighlightedText));
    const QRegion span =
        SpanOf(placed, from + stretch.from, to + stretch.from, shown, m_preview.HasRightToLeft());
    painter.setClipRegion(span);
    painter.setPen(PlainTextColor());
    stretch.layout.draw(&painter, stretch.origin, {selected}, area);
    unselected -= span;
  }
  if (m_preview.HasColors() && !m_preview.Wavy()) {
    // The ink to colour.
    painter.setClipRegion(unselected);
    painter.setPen(PlainTextColor());
    stretch.layout.draw(&painter, stretch.origin);
  }
  DrawFaded(painter, placed, m_preview, unselected, PlainTextColor());
  painter.setClipRect(shown);
  if (hasFocus()) {
    painter.setPen(PlainTextColor());
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
