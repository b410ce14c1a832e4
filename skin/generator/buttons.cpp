// The buttons folder. Faces come in three states: normal (also disabled),
// under the pointer and pressed. Captions are drawn by the buttons in white,
// or in the accent under the pointer, so the faces stay dark enough for both.
#include <QPainter>

#include "skin/generator/paint_kit.h"
#include "skin/generator/painters.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

enum class State { kNormal, kHover, kPressed };

QRectF Inset(QSize size, qreal by = 0.5) {
  return QRectF(0, 0, size.width(), size.height()).adjusted(by, by, -by, -by);
}

// A faint line of light along the top edge of raised plates.
void TopLight(QPainter& p, const QRectF& r, qreal radius, int alpha) {
  p.save();
  p.setPen(QPen(Colour(0xFFFFFF, alpha), 1.0));
  p.drawLine(QPointF(r.left() + radius + 0.5, r.top() + 1.0),
             QPointF(r.right() - radius - 0.5, r.top() + 1.0));
  p.restore();
}

// The common push-button plate: graphite, lit rim under the pointer, accent
// fill when pressed (white captions stay readable on it).
void PushPlate(QPainter& p, QSize size, State state, qreal radius) {
  const QRectF r = Inset(size);
  const QPainterPath shape = RoundRect(r, radius);
  switch (state) {
    case State::kNormal:
      Plate(p, shape, Colour(0x272C34), Colour(0x1B1F25), Colour(0x3A414B));
      TopLight(p, r, radius, 22);
      break;
    case State::kHover:
      Plate(p, shape, Colour(0x2E343D), Colour(0x20252B), Colour(palette::kAccent, 230));
      p.save();
      p.setClipPath(shape);
      Glow(p, shape, Colour(palette::kAccent, 110), 3.0, 4);
      p.restore();
      TopLight(p, r, radius, 30);
      break;
    case State::kPressed:
      Plate(p, shape, Colour(0x00503F), Colour(0x006A55), Colour(palette::kAccent));
      p.save();
      p.setPen(QPen(Colour(0x000000, 70), 1.0));
      p.drawLine(QPointF(r.left() + radius, r.top() + 1.0),
                 QPointF(r.right() - radius, r.top() + 1.0));
      p.restore();
      break;
  }
}

QImage DialogButton(QSize size, State state) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  PushPlate(p, size, state, 3);
  return image;
}

// Assignment buttons carry a marker on their left edge, lit with the state.
QImage AssignButton(QSize size, State state) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  PushPlate(p, size, state, 2);
  const QColor marker = state == State::kNormal  ? Colour(0x4A5260)
                        : state == State::kHover ? Colour(palette::kAccent)
                                                 : Colour(0x9CFFEC);
  p.setPen(Qt::NoPen);
  p.setBrush(marker);
  p.drawRect(QRectF(2, 3, 2, size.height() - 6));
  return image;
}

// The bottom row has one face for every state: the caption's colour shows
// the press.
QImage BottomRowButton(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  PushPlate(p, size, State::kNormal, 2);
  const qreal w = size.width() * 0.36;
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kAccentSoft, 200));
  p.drawRect(QRectF((size.width() - w) / 2.0, size.height() - 3.0, w, 1.5));
  return image;
}

// Apply while the window holds edits the files lack: lit in the accent, so
// that it stands out of the row without a word.
QImage ApplyEditsButton(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  PushPlate(p, size, State::kPressed, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(Colour(palette::kAccent));
  p.drawRect(QRectF(3.0, size.height() - 3.5, size.width() - 6.0, 2.0));
  return image;
}

// Lighting mode buttons stand in a row and work as one choice: the selected
// one glows, with its caption in the accent.
QImage ModeButton(QSize size, State state) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF r = Inset(size);
  const QPainterPath shape = RoundRect(r, 1.5);
  const qreal bar_top = size.height() - 3.0;
  switch (state) {
    case State::kNormal:
      Plate(p, shape, Colour(0x20242A), Colour(0x181B20), Colour(0x30363F));
      p.fillRect(QRectF(2, bar_top, size.width() - 4, 2), Colour(0x3A414B));
      break;
    case State::kHover:
      Plate(p, shape, Colour(0x2A3038), Colour(0x1F2329), Colour(0x4E5663));
      p.fillRect(QRectF(2, bar_top, size.width() - 4, 2), Colour(palette::kAccentSoft));
      break;
    case State::kPressed: {
      Plate(p, shape, Colour(0x0F3D36), Colour(palette::kAccentNight),
            Colour(palette::kAccent, 210));
      QLinearGradient rise(QPointF(0, size.height()), QPointF(0, size.height() * 0.3));
      rise.setColorAt(0.0, Colour(palette::kAccent, 90));
      rise.setColorAt(1.0, Colour(palette::kAccent, 0));
      p.fillRect(r.adjusted(1, 1, -1, -1), rise);
      p.fillRect(QRectF(2, bar_top, size.width() - 4, 2), Colour(palette::kAccent));
      TopLight(p, r, 2, 25);
      break;
    }
  }
  return image;
}

// The window's about, minimise and close buttons.
enum class Caption { kAbout, kMinimise, kClose };

QImage CaptionButton(QSize size, State state, Caption kind) {
  const bool close = kind == Caption::kClose;
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF r = Inset(size, 1.5);
  const QPainterPath shape = RoundRect(r, 3);
  QColor glyph = Colour(palette::kMuted);
  switch (state) {
    case State::kNormal:
      Plate(p, shape, Colour(0x1C2025), Colour(0x16191D), Colour(0x2C313A));
      break;
    case State::kHover:
      if (close) {
        Plate(p, shape, Colour(0xE63A48), Colour(palette::kDanger), Colour(0xF26370));
      } else {
        Plate(p, shape, Colour(palette::kLifted), Colour(0x22272E), Colour(palette::kAccent, 200));
      }
      glyph = Colour(palette::kBright);
      break;
    case State::kPressed:
      if (close) {
        Plate(p, shape, Colour(0x8E1B26), Colour(0xA3212D), Colour(0xC23340));
        glyph = Colour(palette::kBright);
      } else {
        Plate(p, shape, Colour(0x00503F), Colour(0x006A55), Colour(palette::kAccent));
        glyph = Colour(palette::kAccent);
      }
      break;
  }
  const QPointF c = r.center();
  p.setPen(QPen(glyph, 1.8, Qt::SolidLine, Qt::RoundCap));
  if (close) {
    const qreal a = 4.2;
    p.drawLine(c + QPointF(-a, -a), c + QPointF(a, a));
    p.drawLine(c + QPointF(-a, a), c + QPointF(a, -a));
  } else if (kind == Caption::kAbout) {
    // A question mark: an open hook over its dot.
    QPainterPath hook;
    hook.moveTo(c + QPointF(-3.6, -2.6));
    hook.cubicTo(c + QPointF(-3.6, -7.4), c + QPointF(4.2, -7.4), c + QPointF(3.8, -3.0));
    hook.cubicTo(c + QPointF(3.5, -0.4), c + QPointF(0.0, 0.0), c + QPointF(0.0, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(glyph);
    p.drawEllipse(c + QPointF(0.0, 5.6), 1.3, 1.3);
  } else {
    p.drawLine(c + QPointF(-5, 3.5), c + QPointF(5, 3.5));
  }
  return image;
}

// Record: a red dot, lit while recording or under the pointer.
QImage RecordButton(QSize size, bool lit) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF r = Inset(size);
  Plate(p, RoundRect(r, 3), Colour(lit ? 0x2E2226 : 0x252A31), Colour(lit ? 0x21191C : 0x1B1F25),
        lit ? Colour(palette::kRecord, 200) : Colour(0x3A414B));
  const QPointF c = r.center();
  const qreal radius = 5.5;
  QPainterPath dot;
  dot.addEllipse(c, radius, radius);
  if (lit) Glow(p, dot, Colour(palette::kRecord, 220), 3.0, 5);
  p.setPen(QPen(Colour(lit ? 0xFF8792 : 0x5A1D25), 1.0));
  p.setBrush(lit ? Colour(palette::kRecord) : Colour(0xA02635));
  p.drawEllipse(c, radius, radius);
  return image;
}

// Stop: a square, lit under the pointer.
QImage StopButton(QSize size, bool lit) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF r = Inset(size);
  Plate(p, RoundRect(r, 3), Colour(lit ? 0x2E343D : 0x252A31), Colour(lit ? 0x20252B : 0x1B1F25),
        lit ? Colour(palette::kAccent, 220) : Colour(0x3A414B));
  const QPointF c = r.center();
  const QRectF square(c.x() - 4.5, c.y() - 4.5, 9, 9);
  if (lit) Glow(p, RoundRect(square, 1.5), Colour(palette::kAccent, 160), 2.5, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(lit ? Colour(palette::kBright) : Colour(palette::kMuted));
  p.drawRoundedRect(square, 1.5, 1.5);
  return image;
}

}  // namespace

void AddButtonPainters(PainterTable& table) {
  // "-1" normal, "-3" under the pointer, "-2" pressed.
  table["min-1.png"] = [](QSize s) { return CaptionButton(s, State::kNormal, Caption::kMinimise); };
  table["min-3.png"] = [](QSize s) { return CaptionButton(s, State::kHover, Caption::kMinimise); };
  table["min-2.png"] = [](QSize s) {
    return CaptionButton(s, State::kPressed, Caption::kMinimise);
  };
  table["about-1.png"] = [](QSize s) { return CaptionButton(s, State::kNormal, Caption::kAbout); };
  table["about-3.png"] = [](QSize s) { return CaptionButton(s, State::kHover, Caption::kAbout); };
  table["about-2.png"] = [](QSize s) { return CaptionButton(s, State::kPressed, Caption::kAbout); };
  table["close-1.png"] = [](QSize s) { return CaptionButton(s, State::kNormal, Caption::kClose); };
  table["close-3.png"] = [](QSize s) { return CaptionButton(s, State::kHover, Caption::kClose); };
  table["close-2.png"] = [](QSize s) { return CaptionButton(s, State::kPressed, Caption::kClose); };
  table["ok-1.png"] = [](QSize s) { return DialogButton(s, State::kNormal); };
  table["ok-3.png"] = [](QSize s) { return DialogButton(s, State::kHover); };
  table["ok-2.png"] = [](QSize s) { return DialogButton(s, State::kPressed); };
  table["ButtonAssign-1.png"] = [](QSize s) { return AssignButton(s, State::kNormal); };
  table["ButtonAssign-3.png"] = [](QSize s) { return AssignButton(s, State::kHover); };
  table["ButtonAssign-2.png"] = [](QSize s) { return AssignButton(s, State::kPressed); };
  // RedButton the other way round: "-2" under the pointer, "-3" pressed,
  // which is also the selected mode's face.
  table["RedButton-1.png"] = [](QSize s) { return ModeButton(s, State::kNormal); };
  table["RedButton-2.png"] = [](QSize s) { return ModeButton(s, State::kHover); };
  table["RedButton-3.png"] = [](QSize s) { return ModeButton(s, State::kPressed); };
  table["apply1.png"] = BottomRowButton;
  table["apply-edits.png"] = ApplyEditsButton;
  table["iconstart1.png"] = [](QSize s) { return RecordButton(s, false); };
  table["iconstart2.png"] = [](QSize s) { return RecordButton(s, true); };
  table["iconstop1.png"] = [](QSize s) { return StopButton(s, false); };
  table["iconstop2.png"] = [](QSize s) { return StopButton(s, true); };
}

}  // namespace vantix::skin
