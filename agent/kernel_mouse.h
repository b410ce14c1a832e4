// The kernel backend: serves a real mouse through the kernel's input layer.
// It grabs the served mouse's event device, so that nobody else sees its raw
// events, feeds them to the input mapper and emits what the profile makes of
// them on the agent's virtual device. /dev/input is watched (inotify needs
// no udev), so a mouse that comes back is served again at once; the mapper's
// timers run on a timerfd in the agent's poll loop, armed only while a
// deadline exists. A read or write that fails ends serving with the reason
// (docs/agent-kernel.md, "Faults").
#pragma once

#include <poll.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "agent/event_source.h"
#include "agent/input_devices.h"
#include "agent/input_mapper.h"
#include "agent/mouse_backend.h"
#include "agent/virtual_device.h"

namespace vantix::agent {

// Where the kernel's input nodes are.
struct KernelPaths {
  std::string input_folder = "/dev/input";
  std::string uinput = "/dev/uinput";
};

class KernelMouse final : public MouseBackend {
 public:
  using Paths = KernelPaths;
  using Logger = std::function<void(const std::string&)>;

  // Makes the virtual device first, then serves the chosen mouse; a mouse is
  // never grabbed without a virtual device to take over its work.
  KernelMouse(const AgentConfig& config, Logger log, Paths paths = Paths());
  ~KernelMouse() override;
  KernelMouse(const KernelMouse&) = delete;
  KernelMouse& operator=(const KernelMouse&) = delete;

  // The descriptors for the agent's poll loop, and the work when they are
  // ready (each pollfd as poll returned it).
  void AppendPollFds(std::vector<pollfd>& fds) const;
  void Dispatch(std::span<const pollfd> fds);
  // Changes whenever the served node is opened or closed: the loop cannot
  // tell a node reopened under the same descriptor number by the number.
  std::uint64_t DescriptorGeneration() const { return source_generation_; }
  // The served node's descriptor; -1 while none is served.
  int SourceFd() const;

  bool Connected() const override { return source_ != nullptr; }
  AgentState State() const override;
  // Between events: a button held now releases what its old function pressed.
  void Install(const ProfileRecord& profile, std::span<const MacroUpload> macros) override;
  void Reconfigure(const AgentConfig& config) override;
  void SetNativeResolution(int dpi) override { mapper_.SetNativeResolution(dpi); }
  bool ReachesFirmware() const override { return false; }
  void Shutdown() override;

 private:
  // Serves what the configuration asks for among the devices present now.
  void Reselect();
  bool MakeVirtualDevice();
  // Serving is opening the device, then grabbing it; Close undoes Open.
  bool Open(const InputDeviceInfo& device, std::string& error);
  void Grab();
  void Close();
  void Unserve(const std::string& reason);
  // Serving ends on a fault, and the mouse is not served again until it is
  // plugged in again or the choice of device changes: no loop of serving
  // and failing.
  void Fail(const std::string& reason, bool drop_virtual);
  void ReadSource();
  void ReadWatch();
  void WatchInputFolder();
  void OnTimer();
  // Writes what the mapper produced, passes its notices on, sets the timer.
  void Flush();
  void ArmTimer();
  void Announce();
  void SetReason(const std::string& reason);

  AgentConfig config_;
  Logger log_;
  Paths paths_;
  std::unique_ptr<VirtualDevice> virtual_;
  std::string virtual_error_;
  std::unique_ptr<EventSource> source_;
  std::uint64_t source_generation_ = 0;
  InputDeviceInfo served_;
  std::vector<PublishedDevice> servable_;  // of the last scan
  std::string announced_path_;  // the served path listeners last heard of
  std::string reason_;
  std::string fault_;       // why serving ended on a fault
  std::string fault_path_;  // the mouse served then
  std::vector<StampedEvent> batch_;
  int watch_fd_ = -1;
  int input_watch_ = -1;
  int timer_fd_ = -1;
  std::optional<Millis> armed_;  // what the timer is set to
  InputMapper mapper_;
  std::vector<InputEvent> out_;
};

}  // namespace vantix::agent
