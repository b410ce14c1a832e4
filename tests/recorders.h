// Stand-ins that record what the code under test asks of the device agent
// and of the keyboard hook. Header-only: a test that uses one links the
// layer of its interface anyway, and the core tests need neither.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "devicelink/agent_channel.h"
#include "hook/hook_link.h"

namespace vantix::test {

// A message as it was sent to the agent.
struct Sent {
  std::uint32_t message;
  std::int64_t wparam, lparam;
  bool operator==(const Sent&) const = default;
};

// The agent, present (answering every message with 0) or absent. on_find and
// on_send run as the code looks for the agent and sends, so a test can see
// what was already on disk at that moment.
class RecordingAgent final : public AgentChannel {
 public:
  bool FindAgent() override {
    if (on_find) on_find();
    return present;
  }
  SendOutcome SendToAgent(std::uint32_t message, std::int64_t wparam, std::int64_t lparam) override {
    if (on_send) on_send();
    sent.push_back({message, wparam, lparam});
    return {present ? SendOutcome::State::kAnswered : SendOutcome::State::kAbsent, 0};
  }
  std::vector<Sent> Take() { return std::exchange(sent, {}); }

  bool present = true;
  std::vector<Sent> sent;
  std::function<void()> on_find;
  std::function<void()> on_send;
};

// The keyboard hook: each call as "install", "enable 1", "enable 0" or
// "remove", and the window the last install named.
class HookRecorder final : public KeyHook {
 public:
  void InstallHook(std::uint32_t window) override {
    calls.push_back("install");
    installed_window = window;
  }
  void EnableHook(bool on) override { calls.push_back(on ? "enable 1" : "enable 0"); }
  void RemoveHook() override { calls.push_back("remove"); }
  bool CanCapture() const override { return can_capture; }
  std::vector<std::string> Take() { return std::exchange(calls, {}); }

  std::vector<std::string> calls;
  bool can_capture = true;
  std::uint32_t installed_window = 0;
};

}  // namespace vantix::test
