// The mapper before the profile's functions are wired in: every event of the
// served mouse passes through as it came, and nothing stays pressed.
#include <linux/input-event-codes.h>

#include <set>

#include "agent/input_mapper.h"

namespace vantix::agent {

namespace {
constexpr std::uint16_t kSourceButtons[] = {BTN_LEFT,  BTN_RIGHT,   BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, BTN_FORWARD,
                                            BTN_BACK,  BTN_TASK,    BTN_0,      BTN_1,    BTN_2,     BTN_3};
}  // namespace

struct InputMapper::State {
  std::set<std::uint16_t> held;
};

InputMapper::InputMapper() : state_(std::make_unique<State>()) {}
InputMapper::~InputMapper() = default;

void InputMapper::SetProfile(const ProfileRecord&, std::span<const MacroUpload>) {}
void InputMapper::SetNativeResolution(int) {}

void InputMapper::Feed(const InputEvent& event, Millis, std::vector<InputEvent>& out) {
  if (event.type == EV_MSC) return;
  if (event.type == EV_KEY) {
    if (event.value == 0) state_->held.erase(event.code);
    if (event.value == 1) state_->held.insert(event.code);
  }
  out.push_back(event);
}

std::optional<Millis> InputMapper::NextDeadline() const { return std::nullopt; }
void InputMapper::Tick(Millis, std::vector<InputEvent>&) {}

void InputMapper::ReleaseAll(std::vector<InputEvent>& out) {
  if (state_->held.empty()) return;
  for (std::uint16_t code : state_->held) out.push_back({EV_KEY, code, 0});
  out.push_back({EV_SYN, SYN_REPORT, 0});
  state_->held.clear();
}

std::vector<MapperNotice> InputMapper::TakeNotices() { return {}; }

std::span<const std::uint16_t> InputMapper::EmittableKeys() { return kSourceButtons; }
std::span<const std::uint16_t> InputMapper::SourceButtonCodes() { return kSourceButtons; }

}  // namespace vantix::agent
