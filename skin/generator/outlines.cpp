#include "skin/generator/outlines.h"

#include "skin/generator/paint_kit.h"
#include "skin/generator/palette.h"

namespace vantix::skin {

void ClipToOutline(QImage& face, const Outline& outline) {
  const QRgb ground = palette::kBase;
  for (int y = 0; y < face.height(); ++y) {
    for (int x = 0; x < face.width(); ++x) {
      if (!outline.Inside(x, y)) {
        face.setPixel(x, y, qRgba(255, 255, 255, 0));
        continue;
      }
      // Anything the painters left translucent sits on the window ground.
      const QRgb p = face.pixel(x, y);
      const int a = qAlpha(p);
      const auto over = [a](int top, int under) {
        return (top * a + under * (255 - a) + 127) / 255;
      };
      int r = over(qRed(p), qRed(ground));
      int g = over(qGreen(p), qGreen(ground));
      int b = over(qBlue(p), qBlue(ground));
      if (r == 255 && g == 255 && b == 255) r = g = b = 254;
      face.setPixel(x, y, qRgb(r, g, b));
    }
  }
}

QImage OutlineBitmap(const Outline& outline) {
  QImage bitmap(outline.width, outline.height, QImage::Format_RGB32);
  for (int y = 0; y < outline.height; ++y) {
    for (int x = 0; x < outline.width; ++x) {
      bitmap.setPixel(x, y, outline.Inside(x, y) ? palette::kBase : qRgb(255, 255, 255));
    }
  }
  return bitmap;
}

void PaintRim(QImage& face, const Outline& outline, int depth, QRgb colour, qreal opacity) {
  for (int y = 0; y < face.height(); ++y) {
    for (int x = 0; x < face.width(); ++x) {
      if (outline.Depth(x, y) == depth) BlendPixel(face, x, y, colour, opacity);
    }
  }
}

}  // namespace vantix::skin
