#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QRegion>
#include <QTextLayout>

namespace tintrix {

class FadePreview;

// One laid-out line of the entry field's text, placed on the field: `layout` holds the text
// from UTF-16 index `from` in one line, its left end at `origin`.
struct PlacedLine {
  const QTextLayout& layout;
  QPointF origin;
  int from = 0;
};

// The part of `area` that the text [start, end) (UTF-16 indexes) takes on `line`; `bothWays`
// for a text that holds characters written right to left, whose pieces of one direction may
// lie apart.
QRegion SpanOf(const PlacedLine& line, int start, int end, const QRect& area, bool bothWays);

// Draws the characters of `line` that lie in `region` in their fade; nothing outside
// `region` is touched, and characters without a colour (a fade that cannot be made) are drawn
// in `plain`.
//
// Without the wave, over `region` holding the line already drawn in black on white (as
// QLineEdit draws it), it only colours it: each character's columns screened with its colour
// give its ink that colour with the glyphs' own antialiasing, and leave the white. With the wave,
// `region` must hold nothing of the line: each character is drawn whole, in its colour, lowered or
// raised a little off the line or on it.
void DrawFaded(QPainter& painter, const PlacedLine& line, FadePreview& preview,
               const QRegion& region, const QColor& plain);

}  // namespace tintrix
