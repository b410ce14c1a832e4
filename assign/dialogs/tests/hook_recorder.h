// A keyboard hook that records what a capturing dialog asks of it, and a
// short way to deliver key reports to a dialog as the hook's messages.
#pragma once

#include <QCoreApplication>

#include <cstdint>
#include <string>
#include <vector>

#include "hook/hook_link.h"
#include "hook/hook_protocol.h"
#include "ui/window_message.h"

namespace vantix::test {

class HookRecorder final : public KeyHook {
 public:
  void InstallHook(std::uint32_t window) override {
    calls.push_back("install");
    installed_window = window;
  }
  void EnableHook(bool on) override { calls.push_back(on ? "enable 1" : "enable 0"); }
  void RemoveHook() override { calls.push_back("remove"); }
  bool CanCapture() const override { return can_capture; }

  std::vector<std::string> calls;
  bool can_capture = true;
  std::uint32_t installed_window = 0;
};

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
