// Menu rows, the key display of the key dialogs and the event list's arrows.
#include <QPainter>
#include <iterator>

#include "skin/generator/paint_kit.h"
#include "skin/generator/painters.h"
#include "skin/generator/palette.h"

namespace vantix::skin {
namespace {

using palette::Colour;

constexpr QRgb kMenuGround = qRgb(0x1E, 0x21, 0x26);

// A menu row. Rows stack without gaps, so each carries a hairline at its
// foot; rows that open a sub-menu show a chevron at the right. Captions are
// white, and light grey under the pointer: the lit row is a deep accent.
QImage MenuRow(QSize size, bool lit, bool opens_sub_menu) {
  const int w = size.width();
  const int h = size.height();
  QImage image = NewImage(w, h);
  {
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0, 0, w, h);
    if (lit) {
      QLinearGradient fill(r.topLeft(), r.topRight());
      fill.setColorAt(0.0, Colour(0x0E4A40));
      fill.setColorAt(1.0, Colour(0x0B2B26));
      p.fillRect(r, fill);
    } else {
      p.fillRect(r, VerticalGradient(r, Colour(0x22262C), Colour(kMenuGround)));
    }
    if (opens_sub_menu) {
      const qreal cx = w - 12.0;
      const qreal cy = h / 2.0;
      p.setPen(QPen(lit ? Colour(palette::kAccent) : Colour(palette::kMuted), 1.6, Qt::SolidLine,
                    Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(
          QPolygonF{QPointF(cx - 2, cy - 4), QPointF(cx + 2, cy), QPointF(cx - 2, cy + 4)});
    }
  }
  HLine(image, 0, w - 1, h - 1, lit ? qRgb(0x0A, 0x22, 0x1E) : qRgb(0x15, 0x17, 0x1B));
  if (lit) {
    for (int y = 0; y < h - 1; ++y) {
      image.setPixel(0, y, palette::kAccent);
      image.setPixel(1, y, palette::kAccent);
    }
  }
  return image;
}

// The key dialogs' display of the captured key: a sunken field with an
// accent rim; the dialog writes the key's name over it in bold white.
QImage KeyDisplay(QSize size) {
  QImage image = NewImage(size.width(), size.height());
  QPainter p(&image);
  Prepare(p);
  const QRectF r = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
  Plate(p, RoundRect(r, 3), Colour(palette::kInk), Colour(0x14171B),
        Colour(palette::kAccentSoft, 220));
  p.setPen(QPen(Colour(0x000000, 90), 1.0));
  p.drawLine(QPointF(r.left() + 3, r.top() + 1.5), QPointF(r.right() - 3, r.top() + 1.5));
  // Accent ticks at the ends, like the marks of a readout.
  p.setPen(QPen(Colour(palette::kAccent), 2.0));
  const qreal mid = size.height() / 2.0;
  p.drawLine(QPointF(r.left() + 4, mid - 4), QPointF(r.left() + 4, mid + 4));
  p.drawLine(QPointF(r.right() - 4, mid - 4), QPointF(r.right() - 4, mid + 4));
  return image;
}

// Event list arrows, 7 x 9: a stem and a head, down for a press and up for a
// release. Near-black, so they read on the list's grey rows and on the
// accent of the selected row alike.
QImage EventArrow(QSize size, bool down) {
  static constexpr const char* kDown[] = {
      "..###..", "..###..", "..###..", "..###..", "#######",
      ".#####.", "..###..", "...#...", ".......",
  };
  QImage image = NewImage(size.width(), size.height());
  const int rows = static_cast<int>(std::size(kDown));
  for (int y = 0; y < size.height() && y < rows; ++y) {
    // The up arrow is the down arrow mirrored over its drawn rows.
    const char* row = kDown[down || y == rows - 1 ? y : rows - 2 - y];
    for (int x = 0; x < size.width() && row[x] != '\0'; ++x) {
      if (row[x] == '#') image.setPixel(x, y, qRgb(0x0B, 0x0D, 0x10));
    }
  }
  return image;
}

}  // namespace

void AddMenuPainters(PainterTable& table) {
  table["menuitem-n.png"] = [](QSize s) { return MenuRow(s, false, false); };
  table["menuitem-d.png"] = [](QSize s) { return MenuRow(s, true, false); };
  table["menuitem-n2.png"] = [](QSize s) { return MenuRow(s, false, true); };
  table["menuitem-d2.png"] = [](QSize s) { return MenuRow(s, true, true); };
  table["menuitem-d-b.png"] = KeyDisplay;
  table["423.png"] = [](QSize s) { return EventArrow(s, true); };
  table["424.png"] = [](QSize s) { return EventArrow(s, false); };
}

}  // namespace vantix::skin
