// The controls folder: badges, check boxes, link boxes, slider tracks and
// thumbs, and the colour wheel.
#include <QPainter>
#include <QRadialGradient>

#include "skin/generator/colour_wheel.h"
#include "skin/generator/paint_kit.h"
#include "skin/generator/painters.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

// Stage sliders. A stage column is an X track and a Y track side by side, or
// one linked track as wide as both. The X thumb sits at the left edge of its
// track, the Y thumb 14 pixels into its own: both 10 wide, so their grooves
// lie 5 pixels in from the column's outer edges, mirrored.
constexpr int kStageTrackWidth = 24;
constexpr int kStageThumbSize = 10;
constexpr int kYThumbShift = 14;
constexpr int kXGrooveCentre = kStageThumbSize / 2;                 // 5
constexpr int kYGrooveCentre = kYThumbShift + kStageThumbSize / 2;  // 19
static_assert(kXGrooveCentre + kYGrooveCentre == kStageTrackWidth, "grooves mirror each other");
constexpr int kGrooveWidth = 4;
constexpr QRgb kLane = qRgb(0x1A, 0x1E, 0x24);

// ---- badge -----------------------------------------------------------------

// Badge numbers are bold and may touch the rim, so the disc is a deep accent
// that white digits read on, and the rim stays thin.
QImage Badge(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF disc(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
  QRadialGradient fill(disc.center() - QPointF(0, 3), disc.width() * 0.7);
  fill.setColorAt(0.0, Colour(0x14564B));
  fill.setColorAt(1.0, Colour(palette::kAccentNight));
  p.setPen(QPen(Colour(palette::kAccent, 220), 1.0));
  p.setBrush(fill);
  p.drawEllipse(disc);
  return image;
}

// ---- check boxes -------------------------------------------------------------

QImage CheckBox(QSize size, bool checked) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF box(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
  Plate(p, RoundRect(box, 3), Colour(palette::kInk), Colour(0x171A1F),
        checked ? Colour(palette::kAccent) : Colour(0x4E5663));
  if (checked) {
    const qreal inset = size.width() / 4.0;
    const QRectF dot =
        QRectF(0, 0, size.width(), size.height()).adjusted(inset, inset, -inset, -inset);
    Glow(p, RoundRect(dot, 1.5), Colour(palette::kAccent, 200), 2.5, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(VerticalGradient(dot, Colour(0x7DFFE6), Colour(palette::kAccent)));
    p.drawPath(RoundRect(dot, 1.5));
  }
  return image;
}

// ---- link boxes --------------------------------------------------------------

// Two chain links: apart when the stage's X and Y are separate, joined when
// they are linked.
QImage LinkBox(QSize size, bool linked) {
  QImage image = NewImage(size.width(), size.height());
  image.fill(palette::kPanel);
  QPainter p(&image);
  Prepare(p);
  const qreal h = size.height();
  const QColor colour = linked ? Colour(palette::kAccent) : Colour(0x6E7784);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour, 1.6));
  const qreal w = 8.0;
  const qreal gap = linked ? -3.0 : 2.0;
  const qreal left = (size.width() - (2 * w + gap)) / 2.0;
  p.drawRoundedRect(QRectF(left, 1.5, w, h - 3.0), 2.6, 2.6);
  p.drawRoundedRect(QRectF(left + w + gap, 1.5, w, h - 3.0), 2.6, 2.6);
  if (linked)
    Glow(p, RoundRect(QRectF(left, 1.5, 2 * w + gap, h - 3.0), 2.6), Colour(palette::kAccent, 90),
         1.5, 3);
  return image;
}

// ---- stage tracks ------------------------------------------------------------

// The scale marks: ten steps over the thumb's travel, every fifth longer.
void StageScale(QImage& image, int from_x, int direction, int height) {
  const int travel = height - kStageThumbSize;
  for (int k = 0; k <= 10; ++k) {
    const int y = kStageThumbSize / 2 + travel * k / 10;
    const bool major = k % 5 == 0;
    const int length = major ? 6 : 3;
    for (int i = 0; i < length; ++i) {
      image.setPixel(from_x + direction * i, y, major ? palette::kMuted : palette::kRim);
    }
  }
}

void StageGroove(QPainter& p, int centre, int height) {
  const QRectF groove(centre - kGrooveWidth / 2.0, kStageThumbSize / 2.0 - 2, kGrooveWidth,
                      height - kStageThumbSize + 4);
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kInk));
  p.drawRoundedRect(groove, 2, 2);
  // Brighter towards the top, where the resolution is highest.
  QLinearGradient level(groove.topLeft(), groove.bottomLeft());
  level.setColorAt(0.0, Colour(palette::kAccent, 200));
  level.setColorAt(0.5, Colour(palette::kAccentSoft, 70));
  level.setColorAt(1.0, Colour(palette::kAccentSoft, 10));
  p.setBrush(level);
  p.drawRoundedRect(groove.adjusted(1, 1, -1, -1), 1, 1);
}

// One stage track; `x_part` and `y_part` say which halves it carries.
QImage StageTrack(QSize size, bool x_part, bool y_part) {
  QImage image = NewImage(size.width(), size.height());
  image.fill(kLane);
  const int h = size.height();
  const int y_offset = x_part ? kStageTrackWidth : 0;
  {
    QPainter p(&image);
    Prepare(p);
    if (x_part) StageGroove(p, kXGrooveCentre, h);
    if (y_part) StageGroove(p, y_offset + kYGrooveCentre, h);
  }
  if (x_part) StageScale(image, kXGrooveCentre + kGrooveWidth / 2 + 3, +1, h);
  if (y_part) StageScale(image, y_offset + kYGrooveCentre - kGrooveWidth / 2 - 4, -1, h);
  // Rims on the outer sides only: an X and a Y track make one card.
  HLine(image, 0, size.width() - 1, 0, palette::kEdge);
  HLine(image, 0, size.width() - 1, h - 1, palette::kEdge);
  if (x_part) VLine(image, 0, 0, h - 1, palette::kEdge);
  if (y_part) VLine(image, size.width() - 1, 0, h - 1, palette::kEdge);
  return image;
}

// A stage thumb block: opaque (the vertical thumbs paint without
// transparency) and free of pure black, which the Y thumb would lose.
void StageBlock(QPainter& p, const QRectF& r) {
  p.setPen(QPen(Colour(0x03241E), 1.0));
  p.setBrush(VerticalGradient(r, Colour(0x8CFFEA), Colour(0x00C49E)));
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
  p.setPen(QPen(Colour(0xFFFFFF, 110), 1.0));
  p.drawLine(QPointF(r.left() + 2.5, r.top() + 1.5), QPointF(r.right() - 2.5, r.top() + 1.5));
}

QImage StageThumb(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  image.fill(kLane);
  QPainter p(&image);
  Prepare(p);
  StageBlock(p, QRectF(0, 0, size.width(), size.height()));
  return image;
}

// The linked thumb spans both grooves: a block on each, joined by a bar.
QImage LinkedStageThumb(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  image.fill(kLane);
  QPainter p(&image);
  Prepare(p);
  const qreal s = kStageThumbSize;
  const qreal mid = size.height() / 2.0;
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kAccentSoft));
  p.drawRect(QRectF(s - 1, mid - 1.5, size.width() - 2 * s + 2, 3));
  StageBlock(p, QRectF(0, 0, s, size.height()));
  StageBlock(p, QRectF(size.width() - s, 0, s, size.height()));
  return image;
}

// ---- horizontal sliders ------------------------------------------------------

QImage HorizontalThumb(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF body(1.5, 0.5, size.width() - 3.0, size.height() - 1.0);
  Plate(p, RoundRect(body, 3), Colour(0xF2F5F8), Colour(0xAEB7C2), Colour(palette::kInk));
  const qreal cx = size.width() / 2.0;
  p.setPen(QPen(Colour(palette::kAccentSoft), 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(cx, 4.5), QPointF(cx, size.height() - 4.5));
  return image;
}

// The pointer and colour sliders' track: a groove through the middle, tinted
// towards the high end. The thumb is as high as the track and covers it.
constexpr int kHorizontalThumbWidth = 14;

QImage HorizontalTrack(QSize size, int marks) {
  QImage image = NewImage(size.width(), size.height());
  const qreal mid = size.height() / 2.0;
  {
    QPainter p(&image);
    Prepare(p);
    const QRectF groove(3.5, mid - 2.5, size.width() - 7.0, 5.0);
    p.setPen(QPen(Colour(palette::kEdge), 1.0));
    p.setBrush(Colour(palette::kInk));
    p.drawRoundedRect(groove, 2.5, 2.5);
    QLinearGradient level(groove.topLeft(), groove.topRight());
    level.setColorAt(0.0, Colour(palette::kAccentSoft, 25));
    level.setColorAt(1.0, Colour(palette::kAccent, 150));
    p.setPen(Qt::NoPen);
    p.setBrush(level);
    p.drawRoundedRect(groove.adjusted(1.5, 1.5, -1.5, -1.5), 1, 1);
  }
  // Marks under the groove at the thumb's resting places.
  const int travel = size.width() - kHorizontalThumbWidth;
  for (int v = 0; v < marks; ++v) {
    const int x = kHorizontalThumbWidth / 2 + travel * v / (marks - 1);
    const int top = static_cast<int>(mid) + 5;
    const bool end = v == 0 || v == marks - 1;
    VLine(image, x, top, top + (end ? 3 : 2), end ? palette::kMuted : palette::kRim);
  }
  return image;
}

}  // namespace

void AddControlPainters(PainterTable& table) {
  table["circle.png"] = Badge;
  table["RGB.png"] = [](QSize s) { return PaintColourWheel(s.width(), s.height()); };
  table["y.png"] = HorizontalThumb;
  table["checkbox1-1.png"] = [](QSize s) { return CheckBox(s, false); };
  table["checkbox1-2.png"] = [](QSize s) { return CheckBox(s, true); };
  table["link-1.png"] = [](QSize s) { return LinkBox(s, false); };
  table["link-2.png"] = [](QSize s) { return LinkBox(s, true); };
  table["dpi-indicator-x.png"] = [](QSize s) { return StageTrack(s, true, false); };
  table["dpi-indicator-y.png"] = [](QSize s) { return StageTrack(s, false, true); };
  table["dpi-indicator-xy.png"] = [](QSize s) { return StageTrack(s, true, true); };
  table["trackbar-back-b.png"] = [](QSize s) { return HorizontalTrack(s, 0); };
  table["dbclick-back.png"] = [](QSize s) { return HorizontalTrack(s, 10); };
  table["x1.png"] = LinkedStageThumb;
  table["x2.png"] = StageThumb;
  table["x3.png"] = StageThumb;
}

}  // namespace vantix::skin
