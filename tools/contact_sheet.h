// The contact sheet of the skin (vantix_contact_sheet): its cards and
// sections, the drawing of the sheet (contact_sheet_render.cpp), and the
// toolkit's controls put through their states (contact_sheet_controls.cpp).
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

#include "ui/skin.h"

namespace vantix::sheet {

struct Card {
  QImage image;     // null: nothing to show (a missing file)
  QString title;
  QString note;
  bool problem = false;
  int scale_up = 1;  // integer enlargement of small images (0: automatic)
};

struct Section {
  QString heading;
  QString remark;
  std::vector<Card> cards;
};

// The whole sheet: a title, then each section with its cards in rows.
QImage RenderSheet(const QString& title, const QString& subtitle,
                   const std::vector<Section>& sections);

inline QString SizeText(QSize size) {
  return QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
}

// The toolkit's controls in each of their states, the menus, the message
// dialog and the window outlines applied to their faces, in sheet order.
std::vector<Section> ControlSections(const Skin& skin);

}  // namespace vantix::sheet
