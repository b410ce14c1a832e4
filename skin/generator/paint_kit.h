// Small drawing helpers shared by the painters: fresh images, antialiased
// plates with gradients and borders, soft glows, crisp pixel lines and the
// font of the few texts drawn into the skin.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace vantix::skin {

// A transparent ARGB image.
QImage NewImage(int width, int height);

// A painter with antialiasing on for shapes, text and scaled images.
void Prepare(QPainter& painter);

QPainterPath RoundRect(const QRectF& rect, qreal radius);

// A rectangle with its corners cut at 45 degrees by the given lengths.
QPainterPath ChamferRect(const QRectF& rect, qreal top_left, qreal top_right, qreal bottom_right,
                         qreal bottom_left);

QLinearGradient VerticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom);

// Fills a shape with a top-to-bottom gradient and strokes its border inside
// the shape's bounds (pass the shape already inset by half the pen width).
void Plate(QPainter& painter, const QPainterPath& shape, const QColor& top, const QColor& bottom,
           const QColor& border, qreal border_width = 1.0);

// A soft halo around a stroke: wide faint strokes under narrow strong ones.
void Glow(QPainter& painter, const QPainterPath& path, const QColor& colour, qreal spread,
          int steps = 6);

// One-pixel lines on whole pixels, for hairlines that must stay sharp.
void HLine(QImage& image, int x0, int x1, int y, QRgb colour);
void VLine(QImage& image, int x, int y0, int y1, QRgb colour);

// Blends colour over pixel (x, y) with the given opacity (0..1); pixels off
// the image are ignored.
void BlendPixel(QImage& image, int x, int y, QRgb colour, qreal opacity);

// A sans-serif font of the given pixel size and weight; Arial where present,
// else a metric-alike, else the system sans.
QFont SkinFont(int pixel_size, QFont::Weight weight);

}  // namespace vantix::skin
