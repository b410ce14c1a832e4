#include "ui/clr_edit.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPalette>

#include "ui/skin.h"
#include "ui/virtual_key.h"
#include "ui/window_message.h"

namespace vantix {
namespace {
constexpr std::uint32_t kEditFrame = 0x8C8C8C;
constexpr std::uint32_t kEditFocusFrame = 0xCCFF00;
}  // namespace

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

void CClrEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  // A thin frame shows where the box is on the grey skin, and turns to the
  // accent while the box has the keyboard focus.
  QPainter painter(this);
  painter.setPen(hasFocus() ? FromColorRef(kEditFocusFrame) : FromColorRef(kEditFrame));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
  update();  // the focus frame
}

void CClrEdit::focusOutEvent(QFocusEvent* event) {
  PostWindowMessage(parentWidget(), WM_EDIT_FOCUS, kEditFocusLost, 0);
  QLineEdit::focusOutEvent(event);
  update();
}

}  // namespace vantix
