// The keyboard hook of the capturing windows (the key dialogs, macro
// recording) on whichever platform the window runs. On X11 it is the hook
// library, which hears the whole keyboard on the X server. Elsewhere (an
// explicit -platform wayland, Qt's offscreen platform) there is no X window
// to report to and the library would listen on a server that sees no keys:
// the capturing window's own key events are turned into the same WM_HOOK_KEY
// reports instead. Qt's native scan code is the X key code on both xcb and
// Wayland, so the keys go through the hook's own key map, and auto-repeats
// are dropped as the hook drops them; the report is posted, so that it
// arrives after Qt has handled the key (Tab moving the focus), as the hook's
// report does.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>

#include "hook/hook_link.h"

class QKeyEvent;

namespace vantix {

// The WM_HOOK_KEY parameters the hook library gives for the same key.
struct HookKeyReport {
  std::int64_t wparam;  // KeyCode
  std::int64_t lparam;  // flags
};

// Nothing for an auto-repeat, a key event that is not a press or release,
// and a key the hook does not report.
std::optional<HookKeyReport> HookReportOfKeyEvent(const QKeyEvent& event);

class PlatformKeyHook final : public QObject, public KeyHook {
 public:
  // On X11 loads the hook library from program_folder (the library's own
  // rules: a missing one captures nothing). Call with the QApplication there.
  explicit PlatformKeyHook(const std::string& program_folder);
  ~PlatformKeyHook() override;
  PlatformKeyHook(const PlatformKeyHook&) = delete;
  PlatformKeyHook& operator=(const PlatformKeyHook&) = delete;

  void InstallHook(std::uint32_t window) override;
  void EnableHook(bool on) override;
  void RemoveHook() override;
  bool CanCapture() const override;

  // Whether the keys come from Qt's key events rather than the library.
  bool UsesWindowKeys() const { return !on_x11_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool on_x11_ = false;
  bool x_keyboard_events_ = false;  // the X server has XInput, which the library needs
  HookLink link_;
  QPointer<QWidget> target_;
  bool enabled_ = false;
};

}  // namespace vantix
