// Drawing the contact sheet: cards laid out in rows under their section's
// heading, images enlarged or shrunk to fit, titles and notes wrapped.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "tools/contact_sheet.h"

namespace vantix::sheet {
namespace {

constexpr int kSheetWidth = 1640;
constexpr int kMargin = 28;
constexpr int kGap = 18;
constexpr int kCardPad = 8;
constexpr int kMinCardWidth = 190;
constexpr int kMaxImageWidth = 460;
constexpr int kMaxImageHeight = 460;
constexpr int kSmallSide = 60;  // smaller images are enlarged to about this

const QColor kSheetBack(38, 39, 43);
const QColor kCardBack(52, 54, 60);
const QColor kTitleColor(235, 235, 235);
const QColor kNoteColor(165, 168, 176);
const QColor kProblemColor(255, 110, 100);

QFont SheetFont(int pixels, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// The size an image is shown at: large ones shrink to fit, tiny ones grow by
// a whole factor so their pixels stay crisp.
QSize ShownSize(const Card& card, int* factor, double* shrink) {
  *factor = 1;
  *shrink = 1.0;
  if (card.image.isNull()) return QSize(kMinCardWidth - 2 * kCardPad, 40);
  QSize size = card.image.size();
  if (size.width() == 0 || size.height() == 0) return QSize(kMinCardWidth - 2 * kCardPad, 40);
  const int larger = std::max(size.width(), size.height());
  if (card.scale_up == 0 && larger < kSmallSide) {
    *factor = std::clamp(kSmallSide / std::max(1, larger), 1, 4);
  } else if (card.scale_up > 1) {
    *factor = card.scale_up;
  }
  // Enlarged, but never so far that it would have to shrink again.
  while (*factor > 1 && (size.width() * *factor > kMaxImageWidth ||
                         size.height() * *factor > kMaxImageHeight)) {
    --*factor;
  }
  size *= *factor;
  if (size.width() > kMaxImageWidth || size.height() > kMaxImageHeight) {
    *shrink = std::min(double(kMaxImageWidth) / size.width(), double(kMaxImageHeight) / size.height());
    size = QSize(int(size.width() * *shrink), int(size.height() * *shrink));
  }
  return size;
}

struct PlacedCard {
  const Card* card;
  QRect box;
  QSize shown;
  int factor;
  double shrink;
};

// A word too long for a line is broken after a '/' where it can be, else
// wherever it must.
QStringList BreakWord(const QString& word, const QFontMetrics& metrics, int width) {
  QStringList pieces;
  QString rest = word;
  while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
    qsizetype cut = rest.size() - 1;
    while (cut > 1 && metrics.horizontalAdvance(rest.left(cut)) > width) --cut;
    const qsizetype slash = rest.left(cut).lastIndexOf(QLatin1Char('/'));
    if (slash > 0) cut = slash + 1;
    pieces << rest.left(cut);
    rest = rest.mid(cut);
  }
  pieces << rest;
  return pieces;
}

// Lines of a text wrapped to a width.
QStringList Wrap(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    QStringList words;
    for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      words << BreakWord(word, metrics, width);
    }
    for (const QString& word : words) {
      const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
      if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
        lines << line;
        line = word;
      } else {
        line = candidate;
      }
    }
    lines << line;
  }
  return lines;
}

void PaintChecker(QPainter& painter, const QRect& area) {
  constexpr int kSquare = 8;
  painter.save();
  painter.setClipRect(area);
  for (int y = area.top(); y <= area.bottom(); y += kSquare) {
    for (int x = area.left(); x <= area.right(); x += kSquare) {
      const bool dark = (((x - area.left()) / kSquare) + ((y - area.top()) / kSquare)) % 2 == 0;
      painter.fillRect(QRect(x, y, kSquare, kSquare), dark ? QColor(92, 92, 96) : QColor(112, 112, 118));
    }
  }
  painter.restore();
}

}  // namespace

QImage RenderSheet(const QString& title, const QString& subtitle, const std::vector<Section>& sections) {
  const QFont title_font = SheetFont(26, true);
  const QFont heading_font = SheetFont(19, true);
  const QFont remark_font = SheetFont(13);
  const QFont card_title_font = SheetFont(13, true);
  const QFont note_font = SheetFont(12);
  const QFontMetrics title_metrics(card_title_font);
  const QFontMetrics note_metrics(note_font);
  const QFontMetrics remark_metrics(remark_font);

  // First pass: place everything.
  struct PlacedSection {
    const Section* section;
    int heading_y;
    QStringList remark_lines;
    std::vector<PlacedCard> cards;
  };
  std::vector<PlacedSection> placed;
  int y = kMargin + 44 + 30;
  for (const Section& section : sections) {
    PlacedSection ps{&section, y, Wrap(section.remark, remark_metrics, kSheetWidth - 2 * kMargin), {}};
    y += 30 + (section.remark.isEmpty() ? 0 : ps.remark_lines.size() * remark_metrics.lineSpacing()) + 10;
    int x = kMargin;
    int row_height = 0;
    for (const Card& card : section.cards) {
      PlacedCard pc{&card, {}, {}, 1, 1.0};
      pc.shown = ShownSize(card, &pc.factor, &pc.shrink);
      const int width = std::max(kMinCardWidth, pc.shown.width() + 2 * kCardPad);
      const int text_width = width - 2 * kCardPad;
      const int title_lines = Wrap(card.title, title_metrics, text_width).size();
      const int note_lines = card.note.isEmpty() ? 0 : Wrap(card.note, note_metrics, text_width).size();
      const int height = kCardPad + pc.shown.height() + 8 + title_lines * title_metrics.lineSpacing() +
                         note_lines * note_metrics.lineSpacing() + kCardPad;
      if (x + width > kSheetWidth - kMargin && x > kMargin) {
        x = kMargin;
        y += row_height + kGap;
        row_height = 0;
      }
      pc.box = QRect(x, y, width, height);
      ps.cards.push_back(pc);
      x += width + kGap;
      row_height = std::max(row_height, height);
    }
    y += row_height + 2 * kGap + 10;
    placed.push_back(std::move(ps));
  }

  // Second pass: paint.
  QImage sheet(kSheetWidth, y + kMargin, QImage::Format_RGB32);
  sheet.fill(kSheetBack);
  QPainter painter(&sheet);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setPen(kTitleColor);
  painter.setFont(title_font);
  painter.drawText(QPoint(kMargin, kMargin + 26), title);
  painter.setPen(kNoteColor);
  painter.setFont(remark_font);
  painter.drawText(QPoint(kMargin, kMargin + 52), subtitle);

  for (const PlacedSection& ps : placed) {
    painter.setPen(kTitleColor);
    painter.setFont(heading_font);
    painter.drawText(QPoint(kMargin, ps.heading_y + 20), ps.section->heading);
    painter.setPen(QColor(80, 82, 90));
    painter.drawLine(kMargin, ps.heading_y + 28, kSheetWidth - kMargin, ps.heading_y + 28);
    painter.setPen(kNoteColor);
    painter.setFont(remark_font);
    int ry = ps.heading_y + 30 + remark_metrics.ascent() + 4;
    if (!ps.section->remark.isEmpty()) {
      for (const QString& line : ps.remark_lines) {
        painter.drawText(QPoint(kMargin, ry), line);
        ry += remark_metrics.lineSpacing();
      }
    }

    for (const PlacedCard& pc : ps.cards) {
      const Card& card = *pc.card;
      painter.setPen(Qt::NoPen);
      painter.setBrush(kCardBack);
      painter.drawRoundedRect(pc.box, 6, 6);
      const QRect image_box(pc.box.left() + (pc.box.width() - pc.shown.width()) / 2,
                            pc.box.top() + kCardPad, pc.shown.width(), pc.shown.height());
      if (card.image.isNull() || card.image.width() == 0) {
        painter.setPen(QPen(kProblemColor, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(image_box.adjusted(0, 0, -1, -1));
        painter.setFont(note_font);
        painter.drawText(image_box, Qt::AlignCenter, QStringLiteral("no image"));
      } else {
        PaintChecker(painter, image_box);
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, pc.factor == 1);
        painter.drawImage(image_box, card.image);
        painter.restore();
      }
      int ty = image_box.bottom() + 8 + title_metrics.ascent();
      const int text_width = pc.box.width() - 2 * kCardPad;
      painter.setFont(card_title_font);
      painter.setPen(card.problem ? kProblemColor : kTitleColor);
      for (const QString& line : Wrap(card.title, title_metrics, text_width)) {
        painter.drawText(QPoint(pc.box.left() + kCardPad, ty), line);
        ty += title_metrics.lineSpacing();
      }
      painter.setFont(note_font);
      painter.setPen(card.problem ? kProblemColor : kNoteColor);
      QString note = card.note;
      if (pc.factor > 1) note += QStringLiteral(" (shown %1x)").arg(pc.factor);
      if (pc.shrink < 1.0) note += QStringLiteral(" (shown at %1%)").arg(int(pc.shrink * 100));
      for (const QString& line : Wrap(note, note_metrics, text_width)) {
        if (line.isEmpty()) continue;
        painter.drawText(QPoint(pc.box.left() + kCardPad, ty), line);
        ty += note_metrics.lineSpacing();
      }
    }
  }
  return sheet;
}

}  // namespace vantix::sheet
