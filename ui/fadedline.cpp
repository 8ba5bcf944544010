#include "ui/fadedline.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ui/fadepreview.h"

namespace tintrix {

namespace {

qreal XOf(const PlacedLine& line, int index) {
  const QTextLine text = line.layout.lineAt(0);
  const int at = std::clamp(index - line.from, 0, static_cast<int>(line.layout.text().size()));
  return line.origin.x() + text.cursorToX(at);
}

// The UTF-16 range of the text shown between x = left and x = right. Text of both directions
// is not shown as one range of itself: then all of the line.
std::pair<int, int> ShownRange(const PlacedLine& line, int left, int right, bool bothWays) {
  const auto length = static_cast<int>(line.layout.text().size());
  if (bothWays) return {line.from, line.from + length};
  const QTextLine text = line.layout.lineAt(0);
  const int first = text.xToCursor(left - line.origin.x());
  const int last = text.xToCursor(right - line.origin.x());
  // xToCursor gives the nearest edge: the characters on either side of it may show.
  return {line.from + std::max(0, first - 1), line.from + std::min(length, last + 1)};
}

// Where the text [start, end) lies on the line, left edge to right edge, each piece of one
// direction apart. Left to right, the places of its ends say; where directions meet an end has
// two places, and the glyphs' own boxes say.
std::vector<std::pair<qreal, qreal>> Extents(const PlacedLine& line, int start, int end,
                                             bool bothWays) {
  if (!bothWays) {
    const qreal a = XOf(line, start);
    const qreal b = XOf(line, end);
    return {{std::min(a, b), std::max(a, b)}};
  }
  std::vector<std::pair<qreal, qreal>> extents;
  for (const QGlyphRun& run : line.layout.glyphRuns(start - line.from, end - start)) {
    const QRectF box = run.boundingRect();
    extents.emplace_back(line.origin.x() + box.left(), line.origin.x() + box.right());
  }
  return extents;
}

}  // namespace

QRegion SpanOf(const PlacedLine& line, int start, int end, const QRect& area, bool bothWays) {
  QRegion span;
  for (const auto& [a, b] : Extents(line, start, end, bothWays)) {
    const int left = static_cast<int>(std::floor(a));
    const int right = static_cast<int>(std::ceil(b));
    span += QRect(left, area.top(), right - left, area.height());
  }
  return span.intersected(area);
}

namespace {

// Screen: black ink takes the colour, white stays white, and an edge's grey of coverage a
// becomes the colour at coverage a over white, as the glyph drawn in the colour is. Each column
// of pixels goes to the character whose rounded edges hold it.
void PaintFlat(QPainter& painter, const PlacedLine& line,
               const std::vector<FadePreview::Character>& characters, bool bothWays) {
  painter.setCompositionMode(QPainter::CompositionMode_Screen);
  const QTextLine text = line.layout.lineAt(0);
  const int top = static_cast<int>(std::floor(line.origin.y()));
  const int height = static_cast<int>(std::ceil(text.height())) + 1;
  const auto fill = [&](long left, long right, QRgb color) {
    if (left != right) {
      painter.fillRect(static_cast<int>(std::min(left, right)), top,
                       static_cast<int>(std::abs(right - left)), height, QColor(color));
    }
  };
  if (bothWays) {
    for (const FadePreview::Character& c : characters) {
      for (const auto& [a, b] : Extents(line, c.start, c.end, true)) {
        fill(std::lround(a), std::lround(b), c.color);
      }
    }
    return;
  }
  int end = -1;  // the text index whose place `x` is
  long x = 0;
  for (const FadePreview::Character& c : characters) {
    // A character's start is mostly where the one before ended.
    const long a = c.start == end ? x : std::lround(XOf(line, c.start));
    x = std::lround(XOf(line, c.end));
    end = c.end;
    fill(a, x, c.color);
  }
}

// Lowered and raised characters go a quarter of the font's ascent off the line, about as far as
// a subscript or superscript in a page; each is drawn whole, in its own colour.
void PaintWavy(QPainter& painter, const PlacedLine& line,
               const std::vector<FadePreview::Character>& characters) {
  const qreal offset = std::round(QFontMetricsF(line.layout.font()).ascent() / 4);
  const std::array<qreal, 4> shift = {0, offset, -offset, 0};
  for (const FadePreview::Character& c : characters) {
    painter.setPen(QColor::fromRgb(c.color));
    const QPointF at = line.origin + QPointF(0, shift[static_cast<std::size_t>(c.wave)]);
    for (const QGlyphRun& run : line.layout.glyphRuns(c.start - line.from, c.end - c.start)) {
      painter.drawGlyphRun(at, run);
    }
  }
}

}  // namespace

void DrawFaded(QPainter& painter, const PlacedLine& line, FadePreview& preview,
               const QRegion& region, const QColor& plain) {
  if (region.isEmpty()) return;
  const QRect bounds = region.boundingRect();
  std::vector<FadePreview::Character> characters;
  if (preview.HasColors()) {
    const auto [from, to] =
        ShownRange(line, bounds.left(), bounds.right() + 1, preview.HasRightToLeft());
    characters = preview.Characters(from, to);
  }
  painter.save();
  painter.setClipRegion(region);
  if (characters.empty()) {
    painter.setPen(plain);
    line.layout.draw(&painter, line.origin);
  } else if (!preview.Wavy()) {
    PaintFlat(painter, line, characters, preview.HasRightToLeft());
  } else {
    PaintWavy(painter, line, characters);
  }
  painter.restore();
}

}  // namespace tintrix
