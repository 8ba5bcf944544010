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

// The part of `area` between the places of UTF-16 indexes `start` and `end` of the text on
// `line` (for text of both directions, from the leftmost to the rightmost of the two).
QRegion SpanOf(const PlacedLine& line, int start, int end, const QRect& area);

// Draws the characters of `line` that lie in `region` in their fade: each in its colour, with
// a pen whose brush changes colour exactly at the characters' edges so that the line is shaped
// once and drawn in one go; with the wave, lowered and raised characters a little below and
// above the line. Characters without a colour (a fade that cannot be made) are drawn in
// `plain`. Nothing outside `region` is touched.
void DrawFaded(QPainter& painter, const PlacedLine& line, FadePreview& preview,
               const QRegion& region, const QColor& plain);

}  // namespace tintrix
