#include "skin/generator/paint_kit.h"

#include <QLinearGradient>
#include <QPen>
#include <QStringList>
#include <algorithm>

namespace vantix::skin {

QImage NewImage(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

void Prepare(QPainter& painter) {
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
}

QPainterPath RoundRect(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

QPainterPath ChamferRect(const QRectF& r, qreal top_left, qreal top_right, qreal bottom_right,
                         qreal bottom_left) {
  QPainterPath path;
  path.moveTo(r.left() + top_left, r.top());
  path.lineTo(r.right() - top_right, r.top());
  path.lineTo(r.right(), r.top() + top_right);
  path.lineTo(r.right(), r.bottom() - bottom_right);
  path.lineTo(r.right() - bottom_right, r.bottom());
  path.lineTo(r.left() + bottom_left, r.bottom());
  path.lineTo(r.left(), r.bottom() - bottom_left);
  path.lineTo(r.left(), r.top() + top_left);
  path.closeSubpath();
  return path;
}

QLinearGradient VerticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom) {
  QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
  gradient.setColorAt(0.0, top);
  gradient.setColorAt(1.0, bottom);
  return gradient;
}

void Plate(QPainter& painter, const QPainterPath& shape, const QColor& top, const QColor& bottom,
           const QColor& border, qreal border_width) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(VerticalGradient(shape.boundingRect(), top, bottom));
  painter.drawPath(shape);
  if (border.alpha() > 0 && border_width > 0) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(border, border_width));
    painter.drawPath(shape);
  }
  painter.restore();
}

void Glow(QPainter& painter, const QPainterPath& path, const QColor& colour, qreal spread,
          int steps) {
  painter.save();
  painter.setBrush(Qt::NoBrush);
  for (int i = steps; i >= 1; --i) {
    const qreal t = static_cast<qreal>(i) / steps;
    QColor c = colour;
    c.setAlphaF(colour.alphaF() * (1.0 - t) * (1.0 - t) * 0.5);
    painter.setPen(QPen(c, 1.0 + 2.0 * spread * t, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
  }
  painter.restore();
}

void HLine(QImage& image, int x0, int x1, int y, QRgb colour) {
  if (y < 0 || y >= image.height()) return;
  for (int x = std::max(0, x0); x <= std::min(x1, image.width() - 1); ++x) {
    image.setPixel(x, y, colour);
  }
}

void VLine(QImage& image, int x, int y0, int y1, QRgb colour) {
  if (x < 0 || x >= image.width()) return;
  for (int y = std::max(0, y0); y <= std::min(y1, image.height() - 1); ++y) {
    image.setPixel(x, y, colour);
  }
}

void BlendPixel(QImage& image, int x, int y, QRgb colour, qreal opacity) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  const QRgb under = image.pixel(x, y);
  if (qAlpha(under) == 0) {
    image.setPixel(
        x, y,
        qRgba(qRed(colour), qGreen(colour), qBlue(colour), static_cast<int>(255 * opacity + 0.5)));
    return;
  }
  const auto mix = [opacity](int a, int b) {
    return static_cast<int>(a + (b - a) * opacity + 0.5);
  };
  const int alpha = std::max(qAlpha(under), static_cast<int>(255 * opacity + 0.5));
  image.setPixel(x, y,
                 qRgba(mix(qRed(under), qRed(colour)), mix(qGreen(under), qGreen(colour)),
                       mix(qBlue(under), qBlue(colour)), alpha));
}

QFont SkinFont(int pixel_size, QFont::Weight weight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(pixel_size);
  font.setWeight(weight);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

}  // namespace vantix::skin
