// What the skinned top-level windows share as windows: where a dialog opens,
// how a borderless window is dragged by its skin, and the X window id handed
// to the keyboard hook.
#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>
#include <optional>

class QDialog;
class QWidget;
class QWindow;

namespace vantix {

// The usable area of the screen a widget's window is on (with several
// monitors, that window's own); empty without any screen.
QRect ScreenArea(const QWidget* widget);

// rect moved (never resized) as little as possible to lie inside area; when it
// is larger than area, its top-left corner stays inside.
QRect KeepInside(QRect rect, const QRect& area);

// Centres dialog over its parent's window (the whole parent: frameless
// windows have no frame to guess), kept on the parent's screen. Without a
// parent it is centred on its own screen.
void PlaceOverParent(QWidget* dialog);

// Places the dialog over its parent, then runs it modally; the result of exec.
int ExecOverParent(QDialog& dialog);

// The X window id of a widget's top-level window, created if need be. Plain
// QWidget::winId() on a dialog with a parent turns every control of that
// parent into a native X window of its own (memory, start-up, flicker).
std::uint32_t NativeWindowId(QWidget* window);

// Dragging a borderless window by its skin: presses that reach the window
// itself (not taken by a control) arm it, and the system move starts only
// once the pointer has gone kThreshold pixels with the left button held.
// Starting it on the press lets a quick click leave the window stuck to the
// pointer under a window manager. The window keeps its own press handling.
class SkinDrag final : public QObject {
 public:
  static constexpr int kThreshold = 4;

  // Watches window's mouse events for as long as window lives.
  explicit SkinDrag(QWidget* window);

  // Tests stand in for the window manager; null restores the real move.
  static void SetSystemMoveForTests(std::function<bool(QWindow*)> move);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::optional<QPoint> press_;
};

}  // namespace vantix
