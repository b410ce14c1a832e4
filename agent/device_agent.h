// The device agent's message handling: reads the files the utility wrote,
// drives the mouse, keeps the connection state in the macro index and tells
// the main window about changes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "agent/mouse_backend.h"
#include "devicelink/message_bus.h"

namespace vantix::agent {

class DeviceAgent {
 public:
  // Posts to the main window; absent windows are skipped.
  using Poster = std::function<void(std::uint32_t, std::int64_t, std::int64_t)>;
  using Logger = std::function<void(const std::string&)>;

  DeviceAgent(std::string data_folder, SimulatedMouse& mouse, Poster post, Logger log);

  // Writes the connection state and announces it; run once at start.
  void Start();
  // On a clean stop: the mouse is no longer served.
  void Stop();

  // The endpoint's handler. Messages for the main window that a message
  // causes are queued and go out in Flush, after its result was returned.
  std::int64_t Handle(const WindowMessage& message);
  void Flush();

 private:
  std::string HandleApply();
  std::string HandleMacroChanged(std::int64_t slot);
  std::string HandleMacroAssigned(std::int64_t profile, std::int64_t button);
  std::string ApplyMacroSlot(int slot);
  void SetConnected(bool connected);
  void WriteConnectionState();

  std::string data_folder_;
  SimulatedMouse& mouse_;
  Poster post_;
  Logger log_;
  struct Pending {
    std::uint32_t message;
    std::int64_t wparam, lparam;
  };
  std::vector<Pending> outbox_;
};

}  // namespace vantix::agent
