// Window faces and outlines, and the message dialog's picture.
//
// The faces carry no words: every text on a window is drawn by its controls
// from the string files, so one face serves every language. The places of
// the plates and panels below follow the controls the windows put there.
#include <QPainter>
#include <QRadialGradient>

#include "skin/generator/outlines.h"
#include "skin/generator/paint_kit.h"
#include "skin/generator/painters.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

// ---- common pieces ---------------------------------------------------------

// Rims along a clipped face: a light hairline on the edge, a dark one inside
// it, and the corner cuts lit in the accent.
void Rims(QImage& face, const Outline& outline) {
  PaintRim(face, outline, 0, palette::kRim);
  PaintRim(face, outline, 1, palette::kInk, 0.8);
  for (int y = 0; y < face.height(); ++y) {
    for (int x = 0; x < face.width(); ++x) {
      const int depth = outline.Depth(x, y);
      if (depth < 0 || depth > 6) continue;
      const bool cut = (outline.top_left > 8 && outline.OnTopLeftCut(x, y)) ||
                       (outline.bottom_right > 8 && outline.OnBottomRightCut(x, y));
      if (!cut) continue;
      // A bright edge fading inwards.
      const qreal strength = depth == 0 ? 1.0 : 0.35 / depth;
      BlendPixel(face, x, y, palette::kAccent, strength);
    }
  }
}

// L-shaped marks at the corners of a panel.
void CornerMarks(QPainter& p, const QRectF& r, qreal arm, const QColor& colour) {
  p.save();
  p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::SquareCap));
  const qreal l = r.left() + 1, t = r.top() + 1, rr = r.right() - 1, b = r.bottom() - 1;
  p.drawPolyline(QPolygonF{QPointF(l, t + arm), QPointF(l, t), QPointF(l + arm, t)});
  p.drawPolyline(QPolygonF{QPointF(rr - arm, t), QPointF(rr, t), QPointF(rr, t + arm)});
  p.drawPolyline(QPolygonF{QPointF(rr, b - arm), QPointF(rr, b), QPointF(rr - arm, b)});
  p.drawPolyline(QPolygonF{QPointF(l + arm, b), QPointF(l, b), QPointF(l, b - arm)});
  p.restore();
}

// A sunken panel: darker than the ground, with a hairline rim.
void Panel(QPainter& p, const QRectF& r, QRgb top, QRgb bottom) {
  p.save();
  p.setPen(QPen(Colour(palette::kEdge), 1.0));
  p.setBrush(VerticalGradient(r, Colour(top), Colour(bottom)));
  p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
  p.restore();
}

// A horizontal hairline with a short accent stretch in its middle.
void Divider(QPainter& p, qreal x0, qreal x1, qreal y, qreal accent_width) {
  p.save();
  p.setPen(QPen(Colour(palette::kEdge), 1.0));
  p.drawLine(QPointF(x0, y + 0.5), QPointF(x1, y + 0.5));
  const qreal mid = (x0 + x1) / 2.0;
  QLinearGradient accent(QPointF(mid - accent_width / 2, 0), QPointF(mid + accent_width / 2, 0));
  accent.setColorAt(0.0, Colour(palette::kAccent, 0));
  accent.setColorAt(0.5, Colour(palette::kAccent, 230));
  accent.setColorAt(1.0, Colour(palette::kAccent, 0));
  p.setPen(QPen(QBrush(accent), 1.0));
  p.drawLine(QPointF(mid - accent_width / 2, y + 0.5), QPointF(mid + accent_width / 2, y + 0.5));
  p.restore();
}

// The product mark: two nested chevrons, the inner one lit.
void Emblem(QPainter& p, const QPointF& centre, qreal size) {
  p.save();
  const qreal s = size / 2.0;
  QPainterPath outer;
  outer.moveTo(centre + QPointF(-s, -s * 0.62));
  outer.lineTo(centre + QPointF(0, s * 0.72));
  outer.lineTo(centre + QPointF(s, -s * 0.62));
  QPainterPath inner;
  inner.moveTo(centre + QPointF(-s * 0.52, -s * 0.62));
  inner.lineTo(centre + QPointF(0, s * 0.18));
  inner.lineTo(centre + QPointF(s * 0.52, -s * 0.62));
  Glow(p, inner, Colour(palette::kAccent, 200), size * 0.16, 6);
  p.setBrush(Qt::NoBrush);
  p.setPen(
      QPen(Colour(palette::kBright), size * 0.11, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(outer);
  p.setPen(
      QPen(Colour(palette::kAccent), size * 0.11, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(inner);
  p.restore();
}

void SpacedText(QPainter& p, const QPointF& baseline, const QString& text, const QFont& font,
                qreal spacing, const QColor& colour) {
  QFont f = font;
  f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  p.save();
  p.setFont(f);
  p.setPen(colour);
  p.drawText(baseline, text);
  p.restore();
}

// ---- main window -----------------------------------------------------------

// Where the main window's controls stand (client pixels).
constexpr QRect kProfileLabels[] = {
    {375, 12, 95, 38}, {490, 12, 95, 38}, {605, 12, 95, 38}, {720, 12, 95, 38}, {835, 12, 95, 38}};
constexpr QRect kPageTabs[] = {{370, 98, 155, 30}, {535, 98, 155, 30}, {700, 98, 155, 30}};
constexpr QRect kMacroTab{865, 98, 150, 30};
constexpr QRect kStatusLabel{16, 162, 113, 25};
constexpr int kRailLeft = 8;
constexpr int kRailRight = 132;
constexpr int kContentLeft = 136;
constexpr int kHeaderBottom = 86;
constexpr int kPanelTop = 128;
constexpr int kPanelBottom = 648;
constexpr int kBottomRowTop = 673;

void Header(QPainter& p, int width) {
  const QRectF band(0, 0, width, kHeaderBottom);
  p.fillRect(band, VerticalGradient(band, Colour(0x1F232A), Colour(0x16191E)));
  Divider(p, 0, width, kHeaderBottom, 420);

  Emblem(p, QPointF(70, 43), 40);
  const QFont mark = SkinFont(27, QFont::Black);
  SpacedText(p, QPointF(104, 49), QStringLiteral("CORVANE"), mark, 2.5, Colour(palette::kBright));
  const QFontMetricsF metrics([&] {
    QFont f = mark;
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
    return f;
  }());
  SpacedText(p, QPointF(104 + metrics.horizontalAdvance(QStringLiteral("CORVANE")) + 6, 49), QStringLiteral("II"), mark, 2.5,
             Colour(palette::kAccent));
  SpacedText(p, QPointF(106, 66), QStringLiteral("GAMING MOUSE"), SkinFont(10, QFont::DemiBold), 4.2,
             Colour(palette::kMuted));

  // A slanted plate behind each profile label; the label's text starts at
  // the label's left edge, so the plate reaches a little further left.
  for (const QRect& label : kProfileLabels) {
    const qreal left = label.left() - 11.5;
    const qreal right = label.right() - 1.5;
    const qreal top = 7.5;
    const qreal bottom = 41.5;
    const qreal slant = 7;
    QPainterPath plate;
    plate.moveTo(left + slant, top);
    plate.lineTo(right, top);
    plate.lineTo(right - slant, bottom);
    plate.lineTo(left, bottom);
    plate.closeSubpath();
    Plate(p, plate, Colour(0x252A31), Colour(0x1A1D22), Colour(0x343A44));
    p.save();
    p.setPen(QPen(Colour(palette::kAccentSoft, 160), 2.0));
    p.drawLine(QPointF(left + 3, bottom - 1), QPointF(left + 3 + 16, bottom - 1));
    p.restore();
  }
}

// Tabs stand on the content panel's top edge.
void Tab(QPainter& p, const QRect& tab, bool opens_window) {
  const qreal top = 91.5;
  const qreal bottom = kPanelTop + 0.5;
  const qreal slant = 10;
  QPainterPath shape;
  shape.moveTo(tab.left() + slant + 0.5, top);
  shape.lineTo(tab.right() - slant + 0.5, top);
  shape.lineTo(tab.right() + 0.5, bottom);
  shape.lineTo(tab.left() + 0.5, bottom);
  shape.closeSubpath();
  Plate(p, shape, Colour(0x242930), Colour(0x1A1D22), Colour(0x353B45));
  p.save();
  p.setPen(QPen(opens_window ? Colour(palette::kAccent, 220) : Colour(0x4A525E), 2.0));
  p.drawLine(QPointF(tab.left() + slant + 4, top + 1), QPointF(tab.left() + slant + 22, top + 1));
  p.restore();
}

void SideRail(QPainter& p) {
  const QRectF rail(kRailLeft, kPanelTop, kRailRight - kRailLeft, kPanelBottom - kPanelTop);
  Panel(p, rail, 0x171A1F, 0x121418);
  // The connection status sits on a plate of its own, centred on its label.
  const QRectF plate(kRailLeft + 4.5, kStatusLabel.top() - 4.5, kRailRight - kRailLeft - 8.0, 28);
  Plate(p, RoundRect(plate, 2), Colour(palette::kInk), Colour(0x101215), Colour(0x343A44));
  // The product's name, large and faint, up the rail.
  p.save();
  p.translate(rail.center().x() + 15, kPanelBottom - 34);
  p.rotate(-90);
  QFont name = SkinFont(44, QFont::Black);
  name.setLetterSpacing(QFont::AbsoluteSpacing, 8);
  p.setFont(name);
  p.setPen(Colour(0xFFFFFF, 14));
  p.drawText(QPointF(0, 0), QStringLiteral("CORVANE"));
  p.setPen(Colour(palette::kAccent, 40));
  p.drawText(QPointF(QFontMetricsF(name).horizontalAdvance(QStringLiteral("CORVANE")) + 10, 0), QStringLiteral("II"));
  p.restore();
}

void ContentPanel(QPainter& p, int width) {
  const QRectF panel(kContentLeft, kPanelTop, width - kContentLeft - 12, kPanelBottom - kPanelTop);
  Panel(p, panel, 0x181B20, 0x121418);
  // A soft light from the top centre.
  QRadialGradient light(QPointF(panel.center().x(), panel.top()), panel.width() * 0.55);
  light.setColorAt(0.0, Colour(0xFFFFFF, 10));
  light.setColorAt(1.0, Colour(0xFFFFFF, 0));
  p.fillRect(panel.adjusted(1, 1, -1, -1), light);
  CornerMarks(p, panel.adjusted(4, 4, -4, -4), 12, Colour(palette::kAccentSoft, 170));
}

void BottomBar(QPainter& p, int width, int height) {
  const QRectF bar(0, kPanelBottom + 8, width, height - kPanelBottom - 8);
  p.fillRect(bar, VerticalGradient(bar, Colour(0x15181C), Colour(0x0F1114)));
  Divider(p, 0, width, bar.top(), 300);
  // A row of small level bars at the right, like a meter at rest.
  // It leaves the room right of Apply to the line that tells of edits not
  // yet applied.
  for (int i = 0; i < 8; ++i) {
    const qreal h = 4 + (i * 7 % 11);
    const QRectF level(900 + 11.0 * i, kBottomRowTop + 22 - h, 6, h);
    p.fillRect(level,
               Colour(i < 5 ? palette::kAccentSoft : palette::kRim, i < 5 ? 130 + 20 * i : 255));
  }
}

QImage MainFace(QSize size) {
  QImage face = NewImage(size.width(), size.height());
  {
    QPainter p(&face);
    Prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    p.fillRect(all, VerticalGradient(all, Colour(0x191C21), Colour(0x101216)));
    Header(p, size.width());
    ContentPanel(p, size.width());
    for (const QRect& tab : kPageTabs) Tab(p, tab, false);
    Tab(p, kMacroTab, true);
    SideRail(p);
    BottomBar(p, size.width(), size.height());
  }
  ClipToOutline(face, kMainOutline);
  Rims(face, kMainOutline);
  return face;
}

// ---- dialogs ---------------------------------------------------------------

// The small dialogs share one face: texts in the upper part, the two buttons
// at y 219..245 below a divider.
QImage DialogFace(QSize size) {
  QImage face = NewImage(size.width(), size.height());
  {
    QPainter p(&face);
    Prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    p.fillRect(all, VerticalGradient(all, Colour(0x1E2227), Colour(0x14161A)));
    QRadialGradient light(QPointF(size.width() / 2.0, 0), size.width() * 0.6);
    light.setColorAt(0.0, Colour(0xFFFFFF, 12));
    light.setColorAt(1.0, Colour(0xFFFFFF, 0));
    p.fillRect(all, light);
    const QRectF foot(0, 207, size.width(), size.height() - 207);
    p.fillRect(foot, VerticalGradient(foot, Colour(0x15181C), Colour(0x101215)));
    Divider(p, 18, size.width() - 18, 207, 160);
    CornerMarks(p, all.adjusted(10, 10, -10, -10), 10, Colour(palette::kAccentSoft, 120));
  }
  ClipToOutline(face, kDialogOutline);
  Rims(face, kDialogOutline);
  return face;
}

// The macro editor: a header for the title, three panels under the window's
// own frames (names, events, options and editing buttons), a foot for OK and
// close.
QImage EditorFace(QSize size) {
  QImage face = NewImage(size.width(), size.height());
  {
    QPainter p(&face);
    Prepare(p);
    const QRectF all(0, 0, size.width(), size.height());
    p.fillRect(all, VerticalGradient(all, Colour(0x1A1D22), Colour(0x111316)));
    const QRectF head(0, 0, size.width(), 74);
    p.fillRect(head, VerticalGradient(head, Colour(0x1F232A), Colour(0x171A1F)));
    Divider(p, 0, size.width(), 74, 300);
    Emblem(p, QPointF(64, 42), 26);
    Panel(p, QRectF(27, 78, 209, 429), 0x1A1D22, 0x14161A);
    Panel(p, QRectF(253, 80, 319, 429), 0x1A1D22, 0x14161A);
    Panel(p, QRectF(572, 80, 155, 429), 0x1A1D22, 0x14161A);
    // The option and editing groups of the right panel.
    p.fillRect(QRectF(580, 110, 139, 1), Colour(palette::kEdge));
    p.fillRect(QRectF(580, 308, 139, 1), Colour(palette::kEdge));
    const QRectF foot(0, 512, size.width(), size.height() - 512);
    p.fillRect(foot, VerticalGradient(foot, Colour(0x15181C), Colour(0x0F1114)));
    Divider(p, 0, size.width(), 512, 240);
  }
  ClipToOutline(face, kEditorOutline);
  Rims(face, kEditorOutline);
  return face;
}

// The message dialog's picture: an amber warning sign.
QImage WarningSign(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const qreal w = size.width();
  const qreal h = size.height();
  QPainterPath sign;
  sign.moveTo(w / 2, 8);
  sign.lineTo(w - 8, h - 8);
  sign.lineTo(8, h - 8);
  sign.closeSubpath();
  Glow(p, sign, Colour(palette::kWarning, 160), 5, 6);
  p.setPen(QPen(Colour(0xFFC247), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(VerticalGradient(sign.boundingRect(), Colour(0xFFC247), Colour(0xF09A0A)));
  p.drawPath(sign);
  const QColor mark = Colour(0x1E1607);
  p.setPen(QPen(mark, 7.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(w / 2, 34), QPointF(w / 2, h - 34));
  p.setPen(Qt::NoPen);
  p.setBrush(mark);
  p.drawEllipse(QPointF(w / 2, h - 21), 4.6, 4.6);
  return image;
}

}  // namespace

void AddWindowPainters(PainterTable& table) {
  table["cfgMainback.png"] = MainFace;
  table["cfgMainback.bmp"] = [](QSize) { return OutlineBitmap(kMainOutline); };
  table["cfgMainback2.bmp"] = [](QSize) { return OutlineBitmap(kDialogOutline); };
  table["dlg.png"] = DialogFace;
  table["dlg2.png"] = EditorFace;
  table["warn.png"] = WarningSign;
}

}  // namespace vantix::skin
