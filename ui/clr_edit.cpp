#include "ui/clr_edit.h"

#include <QKeyEvent>
#include <QPalette>

#include "ui/skin.h"
#include "ui/virtual_key.h"
#include "ui/window_message.h"

namespace vantix {

CClrEdit::CClrEdit(QWidget* parent, const QRect& rect, int control_id, bool border)
    : QLineEdit(parent), control_id_(control_id) {
  setFrame(border);
  setGeometry(rect);
  ApplyColors();
  show();
}

void CClrEdit::SetTextColor(std::uint32_t color) {
  text_color_ = color;
  ApplyColors();
}

void CClrEdit::SetBackColor(std::uint32_t color) {
  back_color_ = color;
  ApplyColors();
}

void CClrEdit::ApplyColors() {
  QPalette p = palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Base, FromColorRef(back_color_));
    p.setColor(group, QPalette::Window, FromColorRef(back_color_));
    p.setColor(group, QPalette::Text, FromColorRef(text_color_));
  }
  setPalette(p);
  setAutoFillBackground(true);
  update();
}

void CClrEdit::keyReleaseEvent(QKeyEvent* event) {
  // A held key repeats its press, never its release: one notice per key.
  if (notify_key_up_ && !event->isAutoRepeat()) {
    PostWindowMessage(parentWidget(), WM_EDIT_KEYUP,
                      WindowsVirtualKey(event->key(), event->modifiers()), tag_);
  }
  QLineEdit::keyReleaseEvent(event);
}

void CClrEdit::focusInEvent(QFocusEvent* event) {
  PostWindowMessage(parentWidget(), WM_EDIT_FOCUS, kEditFocusGained, 0);
  QLineEdit::focusInEvent(event);
}

void CClrEdit::focusOutEvent(QFocusEvent* event) {
  PostWindowMessage(parentWidget(), WM_EDIT_FOCUS, kEditFocusLost, 0);
  QLineEdit::focusOutEvent(event);
}

}  // namespace vantix
