#include "ui/top_window.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace vantix {
namespace {

std::function<bool(QWindow*)>& SystemMove() {
  static std::function<bool(QWindow*)> move;
  return move;
}

}  // namespace

QRect ScreenArea(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

QRect KeepInside(QRect rect, const QRect& area) {
  if (area.isEmpty()) return rect;
  // Right and bottom first, so that the top-left edge wins for a rect
  // larger than the area.
  if (rect.right() > area.right()) rect.moveRight(area.right());
  if (rect.bottom() > area.bottom()) rect.moveBottom(area.bottom());
  if (rect.left() < area.left()) rect.moveLeft(area.left());
  if (rect.top() < area.top()) rect.moveTop(area.top());
  return rect;
}

void PlaceOverParent(QWidget* dialog) {
  const QWidget* parent = dialog->parentWidget() != nullptr ? dialog->parentWidget()->window()
                                                            : nullptr;
  const QRect over = parent != nullptr ? parent->frameGeometry() : ScreenArea(dialog);
  QRect rect(QPoint(0, 0), dialog->size());
  rect.moveCenter(over.center());
  dialog->move(KeepInside(rect, ScreenArea(parent != nullptr ? parent : dialog)).topLeft());
}

int ExecOverParent(QDialog& dialog) {
  PlaceOverParent(&dialog);
  return dialog.exec();
}

std::uint32_t NativeWindowId(QWidget* window) {
  // winId() marks the window native; with the attribute below Qt leaves the
  // parent's controls alone while doing so.
  const bool siblings_kept = QCoreApplication::testAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings, true);
  const WId id = window->window()->winId();
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings, siblings_kept);
  return static_cast<std::uint32_t>(id);
}

void SkinDrag::SetSystemMoveForTests(std::function<bool(QWindow*)> move) {
  SystemMove() = std::move(move);
}

SkinDrag::SkinDrag(QWidget* window) : QObject(window), window_(window) {
  window->installEventFilter(this);
}

bool SkinDrag::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease) {
    return false;
  }
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint global = mouse->globalPosition().toPoint();
  if (type == QEvent::MouseButtonPress) {
    if (mouse->button() == Qt::LeftButton) press_ = global;
  } else if (type == QEvent::MouseButtonRelease || !(mouse->buttons() & Qt::LeftButton)) {
    press_.reset();
  } else if (press_ && (global - *press_).manhattanLength() >= kThreshold) {
    press_.reset();
    if (QWindow* handle = window_->windowHandle()) {
      if (SystemMove()) {
        SystemMove()(handle);
      } else {
        handle->startSystemMove();
      }
    }
  }
  return false;  // the window still sees every event
}

}  // namespace vantix
