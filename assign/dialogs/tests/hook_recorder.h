// The keyboard hook's recorder (tests/recorders.h), and a short way to
// deliver key reports to a capturing dialog as the hook's messages.
#pragma once

#include <QCoreApplication>

#include <cstdint>
#include <vector>

#include "hook/hook_protocol.h"
#include "tests/recorders.h"
#include "ui/window_message.h"

namespace vantix::test {

struct Key {
  std::uint8_t code;
  bool release;
};
inline Key Down(std::uint8_t code) { return {code, false}; }
inline Key Up(std::uint8_t code) { return {code, true}; }

// Posts the reports as the hook's messages and delivers them.
inline void SendKeys(QObject* dialog, const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    PostWindowMessage(dialog, WM_HOOK_KEY, k.code, k.release ? kHookKeyReleased : 0);
  }
  QCoreApplication::sendPostedEvents(dialog);
}

}  // namespace vantix::test
