// Delivers the keyboard hook's X client messages to the program's windows as
// WM_HOOK_KEY. Installed once for the application; on a platform other than
// X11 there are no such messages and it does nothing.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

namespace vantix {

class HookEventFilter final : public QAbstractNativeEventFilter {
 public:
  // Installs the filter on the running application once; later calls do
  // nothing. Call after the QApplication exists.
  static void Install();

  bool nativeEventFilter(const QByteArray& event_type, void* message, qintptr* result) override;

 private:
  std::uint32_t hook_atom_ = 0;  // the hook's message type on Qt's connection
};

}  // namespace vantix
