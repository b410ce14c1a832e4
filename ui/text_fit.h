// Fitting a text into the room a skinned control has for it. Skins are laid
// out for fonts with Arial's metrics; a wider fallback font, a longer
// translation or a large number shrinks the text a little, and only what
// still does not fit is cut with an ellipsis (the control then shows the
// whole text in its tooltip). Nothing is ever clipped mid-glyph.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

namespace vantix {

// The smallest a text is shrunk to, as a share of its font's pixel size.
inline constexpr double kMinTextShrink = 0.65;

struct FittedText {
  QFont font;
  QString text;         // as shown: the whole text, or cut with an ellipsis
  bool cut = false;     // text is shorter than the one asked for
  QRectF bounds;        // the text's cells, in the room's coordinates
  QRectF ink;           // what its glyphs cover, in the same coordinates
};

// One line: the largest font from `font` down to kMinTextShrink of it at
// which text fits `width`; cut at the smallest when even that is too wide.
FittedText FitLine(const QFont& font, const QString& text, int width,
                   Qt::TextElideMode elide = Qt::ElideRight);

// Wrapped text in `room` (alignment flags of QPainter::drawText, with
// Qt::TextWordWrap): shrinks until it fits; at the smallest font what is
// still too large becomes one line cut with an ellipsis.
FittedText FitBlock(const QFont& font, const QString& text, const QRect& room, int flags);

}  // namespace vantix
