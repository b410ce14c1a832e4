// The button page's two pictures of the mouse: seen from above (buttons 1, 2,
// 3, 10, 11, 12) and from its left side (buttons 4 to 9). The window puts a
// numbered badge on every button, so each button is drawn centred on its
// badge: the centres below are the badge rectangles' centres, moved into the
// picture's own pixels.
#include <QPainter>
#include <QRadialGradient>

#include "skin/generator/paint_kit.h"
#include "skin/generator/painters.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

struct ButtonSpot {
  int number;
  QPointF centre;
};

// Badge rectangle in window pixels -> its centre in a picture drawn at origin.
constexpr QPointF Spot(int left, int top, int right, int bottom, QPointF origin) {
  return QPointF((left + right) / 2.0 - origin.x(), (top + bottom) / 2.0 - origin.y());
}

constexpr QPointF kTopOrigin{152, 133};
constexpr QPointF kSideOrigin{182, 133};

const ButtonSpot kTopButtons[] = {
    {1, Spot(194, 197, 212, 215, kTopOrigin)},  {2, Spot(317, 197, 335, 215, kTopOrigin)},
    {3, Spot(258, 235, 276, 253, kTopOrigin)},  {12, Spot(258, 296, 276, 314, kTopOrigin)},
    {10, Spot(258, 330, 276, 348, kTopOrigin)}, {11, Spot(258, 360, 276, 378, kTopOrigin)},
};
const ButtonSpot kSideButtons[] = {
    {4, Spot(278, 281, 296, 299, kSideOrigin)}, {5, Spot(288, 316, 306, 334, kSideOrigin)},
    {6, Spot(293, 356, 311, 374, kSideOrigin)}, {7, Spot(258, 316, 276, 334, kSideOrigin)},
    {8, Spot(263, 352, 281, 370, kSideOrigin)}, {9, Spot(290, 396, 308, 414, kSideOrigin)},
};

QPointF SpotOf(const ButtonSpot (&spots)[6], int number) {
  for (const ButtonSpot& s : spots) {
    if (s.number == number) return s.centre;
  }
  return {};
}

// A small raised key.
void Key(QPainter& p, const QPointF& centre, QSizeF size, qreal radius) {
  const QRectF r(centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(),
                 size.height());
  Plate(p, RoundRect(r.adjusted(1, 1, 1, 1), radius), Colour(0x000000, 120), Colour(0x000000, 120),
        Colour(0, 0));
  Plate(p, RoundRect(r, radius), Colour(0x3A414B), Colour(0x232830), Colour(0x4E5663));
  p.save();
  p.setPen(QPen(Colour(0xFFFFFF, 35), 1.0));
  p.drawLine(QPointF(r.left() + radius, r.top() + 1), QPointF(r.right() - radius, r.top() + 1));
  p.restore();
}

// A strip of the mouse's own light along a path.
void LightStrip(QPainter& p, const QPainterPath& path) {
  Glow(p, path, Colour(palette::kAccent, 230), 6, 8);
  p.save();
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Colour(0xB5FFF0), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(path);
  p.restore();
}

// ---- top view --------------------------------------------------------------

QPainterPath TopBody(qreal cx) {
  // The right half, front to back; the left half mirrors it.
  struct Seg {
    QPointF c1, c2, end;
  };
  const Seg right[] = {
      {{44, 12}, {82, 22}, {86, 64}},
      {{90, 112}, {74, 152}, {72, 200}},
      {{70, 250}, {92, 286}, {88, 330}},
      {{84, 384}, {48, 400}, {0, 400}},
  };
  const auto at = [cx](QPointF d, qreal sign) { return QPointF(cx + sign * d.x(), d.y()); };
  QPainterPath path(at({0, 12}, 1));
  for (const Seg& s : right) path.cubicTo(at(s.c1, 1), at(s.c2, 1), at(s.end, 1));
  const QPointF starts[] = {{0, 12}, {86, 64}, {72, 200}, {88, 330}};
  for (int i = 3; i >= 0; --i)
    path.cubicTo(at(right[i].c2, -1), at(right[i].c1, -1), at(starts[i], -1));
  path.closeSubpath();
  return path;
}

QImage TopView(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const qreal cx = size.width() / 2.0;
  const QPainterPath body = TopBody(cx);

  // Cable.
  p.setPen(QPen(Colour(0x2A2F37), 5, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(cx, 0), QPointF(cx, 14));

  // Shadow, body, and a light falling on the palm.
  p.save();
  p.translate(0, 3);
  p.fillPath(body, Colour(0x000000, 110));
  p.restore();
  QRadialGradient shell(QPointF(cx, 290), 170);
  shell.setColorAt(0.0, Colour(0x2C3139));
  shell.setColorAt(1.0, Colour(0x15181C));
  p.fillPath(body, shell);
  p.setPen(QPen(Colour(0x4A525E), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(body);

  // Lights along both flanks.
  for (const qreal sign : {-1.0, 1.0}) {
    QPainterPath strip(QPointF(cx + sign * 64, 176));
    strip.cubicTo(QPointF(cx + sign * 62, 230), QPointF(cx + sign * 80, 270),
                  QPointF(cx + sign * 76, 320));
    LightStrip(p, strip);
  }

  // The two main buttons: the body's front, cut off by a curved seam and
  // parted in the middle for the wheel.
  const qreal seam = 150;
  for (const qreal sign : {-1.0, 1.0}) {
    QPainterPath area;
    const qreal inner = cx + sign * 14;
    const qreal outer = cx + sign * 120;
    area.moveTo(inner, 0);
    area.lineTo(outer, 0);
    area.lineTo(outer, seam - 14);
    area.cubicTo(QPointF(cx + sign * 70, seam + 6), QPointF(cx + sign * 30, seam + 4),
                 QPointF(inner, seam - 6));
    area.closeSubpath();
    const QPainterPath button = body.intersected(area);
    QLinearGradient face(QPointF(cx + sign * 60, 12), QPointF(cx + sign * 30, seam));
    face.setColorAt(0.0, Colour(0x343A43));
    face.setColorAt(1.0, Colour(0x1E2227));
    p.fillPath(button, face);
    p.setPen(QPen(Colour(palette::kInk), 2.0));
    p.drawPath(button);
    p.setPen(QPen(Colour(0xFFFFFF, 28), 1.0));
    p.drawLine(QPointF(cx + sign * 24, 20), QPointF(cx + sign * 66, 20));
  }

  // The wheel in its slot.
  const QPointF wheel = SpotOf(kTopButtons, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kInk));
  p.drawRoundedRect(QRectF(wheel.x() - 9, wheel.y() - 34, 18, 68), 8, 8);
  const QRectF tyre(wheel.x() - 6, wheel.y() - 27, 12, 54);
  p.setBrush(VerticalGradient(tyre, Colour(0x5A626E), Colour(0x2E333B)));
  p.drawRoundedRect(tyre, 5, 5);
  p.setPen(QPen(Colour(0x1B1E23), 1.0));
  for (qreal y = tyre.top() + 4; y < tyre.bottom() - 3; y += 4) {
    p.drawLine(QPointF(tyre.left() + 2, y), QPointF(tyre.right() - 2, y));
  }
  LightStrip(p, [&] {
    QPainterPath ring;
    ring.addRoundedRect(QRectF(wheel.x() - 10, wheel.y() - 35, 20, 70), 9, 9);
    return ring;
  }());

  // Buttons 12, 10 and 11 on the ridge behind the wheel.
  for (const int number : {12, 10, 11}) Key(p, SpotOf(kTopButtons, number), QSizeF(22, 24), 4);

  // The mark on the palm.
  p.save();
  p.setOpacity(0.8);
  const qreal mark = 30;
  const QPointF palm(cx, 318);
  QPainterPath chevron;
  chevron.moveTo(palm + QPointF(-mark / 2, -mark * 0.3));
  chevron.lineTo(palm + QPointF(0, mark * 0.35));
  chevron.lineTo(palm + QPointF(mark / 2, -mark * 0.3));
  Glow(p, chevron, Colour(palette::kAccent, 160), 4, 5);
  p.setPen(QPen(Colour(palette::kAccent), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(chevron);
  p.restore();
  return image;
}

// ---- side view -------------------------------------------------------------

// The left flank, front at the top: the flat base on the right, the arched
// top on the left.
QPainterPath SideBody() {
  QPainterPath path(QPointF(146, 44));
  path.lineTo(146, 372);
  path.cubicTo(QPointF(146, 392), QPointF(134, 400), QPointF(112, 400));
  path.cubicTo(QPointF(66, 398), QPointF(28, 336), QPointF(24, 262));
  path.cubicTo(QPointF(20, 190), QPointF(42, 110), QPointF(70, 48));
  path.cubicTo(QPointF(84, 20), QPointF(110, 10), QPointF(128, 14));
  path.cubicTo(QPointF(142, 18), QPointF(146, 30), QPointF(146, 44));
  path.closeSubpath();
  return path;
}

QImage SideView(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QPainterPath body = SideBody();

  p.setPen(QPen(Colour(0x2A2F37), 5, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(130, 0), QPointF(128, 15));

  // The wheel rises above the top near the front.
  p.save();
  p.translate(58, 84);
  p.rotate(24);
  p.setPen(QPen(Colour(palette::kInk), 1.0));
  p.setBrush(VerticalGradient(QRectF(-7, -20, 14, 40), Colour(0x5A626E), Colour(0x2E333B)));
  p.drawRoundedRect(QRectF(-7, -20, 14, 40), 6, 6);
  p.restore();

  p.save();
  p.translate(3, 3);
  p.fillPath(body, Colour(0x000000, 110));
  p.restore();
  QLinearGradient shell(QPointF(24, 0), QPointF(146, 0));
  shell.setColorAt(0.0, Colour(0x353B44));
  shell.setColorAt(0.55, Colour(0x22262C));
  shell.setColorAt(1.0, Colour(0x15181C));
  p.fillPath(body, shell);
  p.setPen(QPen(Colour(0x4A525E), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(body);

  // The seam of the main button along the front of the top.
  QPainterPath seam(QPointF(122, 22));
  seam.cubicTo(QPointF(98, 24), QPointF(70, 60), QPointF(52, 150));
  p.setPen(QPen(Colour(palette::kInk), 2.0));
  p.drawPath(seam);

  // Skates on the base, and the light along it.
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(0x0E1013));
  p.drawRoundedRect(QRectF(145, 60, 5, 56), 2, 2);
  p.drawRoundedRect(QRectF(145, 316, 5, 54), 2, 2);
  QPainterPath strip(QPointF(141, 120));
  strip.lineTo(141, 310);
  LightStrip(p, strip);

  // The thumb panel, sunk into the flank, with its six keys.
  QPainterPath panel;
  panel.addRoundedRect(QRectF(60, 134, 76, 166), 14, 14);
  p.fillPath(panel, VerticalGradient(panel.boundingRect(), Colour(0x101215), Colour(0x16191D)));
  p.setPen(QPen(Colour(palette::kEdge), 1.0));
  p.drawPath(panel);
  for (const ButtonSpot& button : kSideButtons) Key(p, button.centre, QSizeF(24, 24), 5);

  // The mark on the rear flank.
  p.save();
  p.setOpacity(0.5);
  const QPointF flank(86, 346);
  QPainterPath chevron;
  chevron.moveTo(flank + QPointF(-10, -6));
  chevron.lineTo(flank + QPointF(0, 7));
  chevron.lineTo(flank + QPointF(10, -6));
  p.setPen(QPen(Colour(palette::kAccent), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(chevron);
  p.restore();
  return image;
}

}  // namespace

void AddMousePainters(PainterTable& table) {
  table["mouse-layout-front.png"] = TopView;
  table["mouse-layout-side.png"] = SideView;
}

}  // namespace vantix::skin
