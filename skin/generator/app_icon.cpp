#include "skin/generator/app_icon.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>

#include "skin/generator/paint_kit.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

// The two nested chevrons of the header's mark, the inner one lit. Small
// icons get strokes of at least two pixels and no glow, which would only
// blur them.
void Mark(QPainter& p, const QPointF& centre, qreal size, bool small) {
  const qreal s = size / 2.0;
  QPainterPath outer;
  outer.moveTo(centre + QPointF(-s, -s * 0.62));
  outer.lineTo(centre + QPointF(0, s * 0.72));
  outer.lineTo(centre + QPointF(s, -s * 0.62));
  QPainterPath inner;
  inner.moveTo(centre + QPointF(-s * 0.52, -s * 0.62));
  inner.lineTo(centre + QPointF(0, s * 0.18));
  inner.lineTo(centre + QPointF(s * 0.52, -s * 0.62));
  const qreal stroke = std::max(size * 0.11, small ? 2.0 : 1.5);
  if (!small) Glow(p, inner, Colour(palette::kAccent, 200), size * 0.16, 6);
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Colour(palette::kBright), stroke, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(outer);
  p.setPen(QPen(Colour(palette::kAccent), stroke, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(inner);
  p.restore();
}

}  // namespace

QImage PaintAppIcon(int size) {
  QImage image = NewImage(size, size);
  QPainter p(&image);
  Prepare(p);
  const bool small = size < 32;
  const qreal n = size;

  // The plate keeps a margin, as icon themes expect, and a shadow below.
  const qreal margin = small ? 0.5 : std::round(n * 0.06) + 0.5;
  const QRectF plate(margin, margin, n - 2 * margin, n - 2 * margin);
  const qreal long_cut = std::round(n * 0.24);
  const qreal short_cut = std::max(1.0, std::round(n * 0.06));
  const QPainterPath shape = ChamferRect(plate, long_cut, short_cut, long_cut, short_cut);
  if (!small) {
    p.save();
    p.translate(0, n * 0.015);
    p.fillPath(shape, Colour(0x000000, 120));
    p.restore();
  }
  Plate(p, shape, Colour(0x2C3139), Colour(palette::kBase), Colour(palette::kRim),
        std::max(1.0, n / 64.0));

  // The long cuts lit in the accent, as on the main window's outline.
  p.save();
  p.setPen(QPen(Colour(palette::kAccent), std::max(1.0, n / 40.0), Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(plate.left(), plate.top() + long_cut), QPointF(plate.left() + long_cut, plate.top()));
  p.drawLine(QPointF(plate.right(), plate.bottom() - long_cut),
             QPointF(plate.right() - long_cut, plate.bottom()));
  p.restore();

  Mark(p, QPointF(n / 2.0, n * 0.53), n * (small ? 0.62 : 0.56), small);
  return image;
}

bool WriteAppIcons(const QString& theme_folder, const QString& name) {
  for (const int size : kAppIconSizes) {
    const QString folder =
        QDir(theme_folder).filePath(QStringLiteral("%1x%1/apps").arg(size));
    const QString path = QDir(folder).filePath(name + QLatin1String(".png"));
    if (!QDir().mkpath(folder) || !PaintAppIcon(size).save(path, "PNG")) {
      std::fprintf(stderr, "vantix_skingen: cannot write %s\n", path.toLocal8Bit().constData());
      return false;
    }
  }
  return true;
}

}  // namespace vantix::skin
