#include "ui/fadedline.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "ui/fadepreview.h"

namespace tintrix {

namespace {

qreal XOf(const PlacedLine& line, int index) {
  const QTextLine text = line.layout.lineAt(0);
  const int at = std::clamp(index - line.from, 0, static_cast<int>(line.layout.text().size()));
  return line.origin.x() + text.cursorToX(at);
}

// The UTF-16 range of the text shown between x = left and x = right. For text of both
// directions the characters shown are not one range of the text: samples across the width
// find the first and the last of them.
std::pair<int, int> ShownRange(const PlacedLine& line, int left, int right, bool bothWays) {
  const QTextLine text = line.layout.lineAt(0);
  int first = std::numeric_limits<int>::max();
  int last = 0;
  const int kSample = bothWays ? 16 : std::max(1, right - left);
  for (int x = left;; x = std::min(x + kSample, right)) {
    const int at = text.xToCursor(x - line.origin.x());
    first = std::min(first, at);
    last = std::max(last, at);
    if (x == right) break;
  }
  // xToCursor gives the nearest edge: the characters on either side of it may show.
  return {line.from + std::max(0, first - 1), line.from + last + 1};
}

}  // namespace

QRegion SpanOf(const PlacedLine& line, int start, int end, const QRect& area) {
  const qreal a = XOf(line, start);
  const qreal b = XOf(line, end);
  const int left = static_cast<int>(std::floor(std::min(a, b)));
  const int right = static_cast<int>(std::ceil(std::max(a, b)));
  return QRegion(QRect(left, area.top(), right - left, area.height())).intersected(area);
}

namespace {

// One pass for the whole line: a pen whose brush changes colour exactly at the characters'
// edges, so that the line is shaped once and drawn in one go.
QPen FadePen(const PlacedLine& line, const std::vector<FadePreview::Character>& characters,
             const QRect& bounds) {
  struct Span {
    qreal left;
    qreal right;
    QRgb color;
  };
  std::vector<Span> spans;
  spans.reserve(characters.size());
  for (const FadePreview::Character& c : characters) {
    const qreal a = XOf(line, c.start);
    const qreal b = XOf(line, c.end);
    spans.push_back({std::min(a, b), std::max(a, b), c.color});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& x, const Span& y) { return x.left < y.left; });
  // The brush's colour table has a fixed number of entries across its length: it spans the
  // region only, so that an edge between two characters falls within a fraction of a pixel.
  const qreal left = bounds.left();
  const qreal width = std::max(1, bounds.width());
  QGradientStops stops;
  qreal last = -1;
  const auto add = [&](qreal x, QRgb color) {
    const qreal at = std::clamp((x - left) / width, 0.0, 1.0);
    if (at <= last) return;  // a stop at the same place would go before the one there
    stops.append({at, QColor::fromRgb(color)});
    last = at;
  };
  for (const Span& span : spans) {
    add(span.left, span.color);
    add(span.right - 1e-3, span.color);
  }
  QLinearGradient gradient(QPointF(left, 0), QPointF(left + width, 0));
  gradient.setStops(stops);
  return QPen(QBrush(gradient), 0);
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
    painter.setPen(FadePen(line, characters, bounds));
    line.layout.draw(&painter, line.origin);
  } else {
    // Lowered and raised characters go a quarter of the font's ascent off the line, about as
    // far as a subscript or superscript in a page; each is drawn whole, in its own colour.
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
  painter.restore();
}

}  // namespace tintrix
