#include "ui/text_fit.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace vantix {
namespace {

// Every pixel size from the font's own down to the smallest allowed.
template <typename Fits>
std::optional<QFont> LargestThatFits(const QFont& font, Fits fits) {
  const int size = font.pixelSize() > 0 ? font.pixelSize()
                                        : static_cast<int>(std::lround(QFontMetricsF(font).height()));
  const int smallest = std::max(1, static_cast<int>(std::ceil(size * kMinTextShrink)));
  QFont candidate = font;
  for (int s = size; s >= smallest; --s) {
    candidate.setPixelSize(s);
    if (fits(candidate)) return candidate;
  }
  return std::nullopt;
}

QFont Smallest(const QFont& font) {
  QFont smallest = font;
  const int size = font.pixelSize() > 0 ? font.pixelSize() : 12;
  smallest.setPixelSize(std::max(1, static_cast<int>(std::ceil(size * kMinTextShrink))));
  return smallest;
}

}  // namespace

FittedText FitLine(const QFont& font, const QString& text, int width, Qt::TextElideMode elide) {
  const auto fits = [&](const QFont& f) {
    return QFontMetricsF(f).horizontalAdvance(text) <= width;
  };
  FittedText fitted;
  if (const std::optional<QFont> found = LargestThatFits(font, fits)) {
    fitted.font = *found;
    fitted.text = text;
  } else {
    fitted.font = Smallest(font);
    fitted.text = QFontMetricsF(fitted.font).elidedText(text, elide, width);
    fitted.cut = fitted.text != text;
  }
  const QFontMetricsF metrics(fitted.font);
  fitted.bounds = QRectF(0, 0, metrics.horizontalAdvance(fitted.text), metrics.height());
  fitted.ink = metrics.tightBoundingRect(fitted.text).translated(0, metrics.ascent());
  return fitted;
}

FittedText FitBlock(const QFont& font, const QString& text, const QRect& room, int flags) {
  const QRectF area(QPointF(0, 0), QSizeF(room.size()));
  const auto bounds_of = [&](const QFont& f, const QString& t, int fl) {
    return QFontMetricsF(f).boundingRect(area, fl, t);
  };
  const auto fits = [&](const QFont& f) {
    const QRectF b = bounds_of(f, text, flags);
    // A single word wider than the room is not broken by wrapping.
    return b.width() <= area.width() + 0.01 && b.height() <= area.height() + 0.01;
  };
  FittedText fitted;
  if (const std::optional<QFont> found = LargestThatFits(font, fits)) {
    fitted.font = *found;
    fitted.text = text;
    fitted.bounds = bounds_of(fitted.font, text, flags);
    fitted.ink = fitted.bounds;
    return fitted;
  }
  fitted.font = Smallest(font);
  const int line_flags = flags & ~Qt::TextWordWrap;
  fitted.text = QFontMetricsF(fitted.font).elidedText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                                                      Qt::ElideRight, room.width());
  fitted.cut = fitted.text != text;
  fitted.bounds = bounds_of(fitted.font, fitted.text, line_flags);
  fitted.ink = fitted.bounds;
  return fitted;
}

}  // namespace vantix
