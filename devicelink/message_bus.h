// Window messages between processes. A window that other processes reach by
// its title owns an endpoint: a Unix stream socket named after the title in a
// private runtime folder. One connection carries one 24-byte frame
// (little-endian uint32 message, uint32 flags, int64 wParam, int64 lParam);
// a sent message (flags bit 0) is answered with an int64 result.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "devicelink/agent_channel.h"
#include "settings/status.h"
#include "settings/window_message.h"

namespace vantix {

inline constexpr std::size_t kFrameBytes = 24;
inline constexpr std::uint32_t kFrameSent = 1;
inline constexpr std::chrono::milliseconds kSendTimeout{5000};
inline constexpr std::chrono::milliseconds kFrameTimeout{1000};

void EncodeFrame(const WindowMessage& m, unsigned char out[kFrameBytes]);
// False for a frame with unknown flag bits.
bool DecodeFrame(const unsigned char in[kFrameBytes], WindowMessage& m);

// $XDG_RUNTIME_DIR/corvane-gaming-mouse, else /tmp/corvane-gaming-mouse-<uid>.
std::string DefaultEndpointFolder();
// Creates the folder (mode 0700) when missing. A folder that is not ours, is
// a link, or is open to others is refused: anyone could stand in for a window.
Status PrepareEndpointFolder(const std::string& folder);

// The sending side. Every call looks the window up afresh.
class MessageBus {
 public:
  explicit MessageBus(std::string folder = DefaultEndpointFolder()) : folder_(std::move(folder)) {}
  const std::string& Folder() const { return folder_; }

  bool FindWindow(std::string_view title) const;
  // Waits for the receiver's result at most timeout.
  SendOutcome SendMessage(std::string_view title, std::uint32_t message, std::int64_t wparam,
                          std::int64_t lparam,
                          std::chrono::milliseconds timeout = kSendTimeout) const;
  // Queues the message with the receiver; false when it is absent.
  bool PostMessage(std::string_view title, std::uint32_t message, std::int64_t wparam,
                   std::int64_t lparam) const;

 private:
  std::string folder_;
};

struct OpenedEndpoint;

// The receiving side: one pollable descriptor for an event loop (a Qt socket
// notifier or poll), and Process to run when it is readable. The handler runs
// on the caller's thread; a sent message's result is written back after the
// handler returns. Silent, slow, foreign or malformed peers are dropped and
// never hold up anyone else.
class Endpoint {
 public:
  using Handler = std::function<std::int64_t(const WindowMessage&)>;

  // Owns the endpoint of the title; a stale socket left by a dead owner is
  // replaced, a live owner makes this fail.
  static OpenedEndpoint Open(std::string_view title, const std::string& folder);
  ~Endpoint();
  Endpoint(const Endpoint&) = delete;
  Endpoint& operator=(const Endpoint&) = delete;

  int Fd() const;
  // Does whatever is ready without blocking.
  void Process(const Handler& handler);
  const std::string& Path() const;

 private:
  struct Impl;
  explicit Endpoint(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The endpoint, or why there is none.
struct [[nodiscard]] OpenedEndpoint {
  std::unique_ptr<Endpoint> endpoint;  // null unless status is ok
  Status status;
};

// Holds an advisory lock on folder/name.lock while it lives: the Linux form
// of a named mutex that makes a program single-instance.
class InstanceLock {
 public:
  static std::unique_ptr<InstanceLock> Acquire(const std::string& folder, std::string_view name);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

// AgentChannel over the bus. Every sent message waits at most send_limit
// for the agent's answer, so an agent that has stopped reading holds its
// caller (the window's event loop, a vantixctl command) no longer than that.
class BusAgentChannel final : public AgentChannel {
 public:
  explicit BusAgentChannel(const MessageBus& bus,
                           std::chrono::milliseconds send_limit = kSendTimeout)
      : bus_(bus), send_limit_(send_limit) {}
  bool FindAgent() override;
  SendOutcome SendToAgent(std::uint32_t message, std::int64_t wparam, std::int64_t lparam) override;

 private:
  const MessageBus& bus_;
  std::chrono::milliseconds send_limit_;
};

}  // namespace vantix
