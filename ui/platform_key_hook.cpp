#include "ui/platform_key_hook.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>

#include <cstdlib>
#include <iostream>

#include "hook/hook_protocol.h"
#include "hook/key_map.h"
#include "ui/window_message.h"

namespace vantix {
namespace {

xcb_connection_t* QtXConnection() {
  const auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                       : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

bool HasXInput(xcb_connection_t* conn) {
  static constexpr char kName[] = "XInputExtension";
  xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
      conn, xcb_query_extension(conn, sizeof kName - 1, kName), nullptr);
  const bool present = reply != nullptr && reply->present != 0;
  std::free(reply);
  return present;
}

}  // namespace

std::optional<HookKeyReport> HookReportOfKeyEvent(const QKeyEvent& event) {
  if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) return std::nullopt;
  if (event.isAutoRepeat()) return std::nullopt;
  const std::optional<hook::ReportedKey> key = hook::MapXKeycode(event.nativeScanCode());
  if (!key) return std::nullopt;
  const std::uint32_t flags = (event.type() == QEvent::KeyRelease ? kHookKeyReleased : 0) |
                              (key->extended ? kHookKeyExtended : 0);
  return HookKeyReport{key->code, flags};
}

PlatformKeyHook::PlatformKeyHook(const std::string& program_folder) {
  xcb_connection_t* conn = QtXConnection();
  on_x11_ = conn != nullptr;
  if (!on_x11_) return;
  x_keyboard_events_ = HasXInput(conn);
  LoadHookLink(link_, program_folder);
  if (!CanCapture()) {
    std::cerr << "vantix: keys cannot be captured: "
              << (!link_.Loaded()            ? std::string(kHookLibraryName) + " is missing in " +
                                                   program_folder
                  : !x_keyboard_events_      ? std::string("the X server has no XInput")
                                             : std::string(kHookLibraryName) +
                                                   " lacks its entry points")
              << "\n";
  }
}

PlatformKeyHook::~PlatformKeyHook() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

void PlatformKeyHook::InstallHook(std::uint32_t window) {
  if (on_x11_) {
    link_.InstallHook(window);
    return;
  }
  // The id the capturing window gave, cut to 32 bits as the hook's calls
  // take it: a Wayland window's id is no small number.
  target_ = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->internalWinId() != 0 && static_cast<std::uint32_t>(top->internalWinId()) == window) {
      target_ = top;
    }
  }
  qApp->removeEventFilter(this);
  qApp->installEventFilter(this);
}

void PlatformKeyHook::EnableHook(bool on) {
  if (on_x11_) {
    link_.EnableHook(on);
  } else {
    enabled_ = on;
  }
}

void PlatformKeyHook::RemoveHook() {
  if (on_x11_) {
    link_.RemoveHook();
    return;
  }
  qApp->removeEventFilter(this);
  target_ = nullptr;
  enabled_ = false;
}

bool PlatformKeyHook::CanCapture() const {
  if (!on_x11_) return true;
  return x_keyboard_events_ && link_.CanCapture();
}

bool PlatformKeyHook::eventFilter(QObject* watched, QEvent* event) {
  if (!enabled_ || target_ == nullptr) return false;
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  // A key event not taken by its receiver travels on to the parents: only
  // its first delivery, to the focus widget (or the window without one),
  // is the key.
  QWidget* receiver = QApplication::focusWidget();
  if (receiver == nullptr) receiver = target_;
  if (watched != receiver || receiver == nullptr || receiver->window() != target_) return false;
  if (const std::optional<HookKeyReport> report =
          HookReportOfKeyEvent(*static_cast<QKeyEvent*>(event))) {
    PostWindowMessage(target_, WM_HOOK_KEY, report->wparam, report->lparam);
  }
  return false;
}

}  // namespace vantix
