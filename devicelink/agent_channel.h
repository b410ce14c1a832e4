// The program's way to the device agent. The message bus implements it; tests
// substitute a recorder.
#pragma once

#include <cstdint>

namespace vantix {

struct SendOutcome {
  enum class State { kAnswered, kNoAnswer, kAbsent };
  State state = State::kAbsent;
  std::int64_t result = 0;
};

class AgentChannel {
 public:
  virtual ~AgentChannel() = default;
  // Whether the agent's endpoint exists now; looked up afresh on every call.
  virtual bool FindAgent() = 0;
  // Sends a message and waits (bounded) for the agent's handler to return.
  virtual SendOutcome SendToAgent(std::uint32_t message, std::int64_t wparam,
                                  std::int64_t lparam) = 0;
};

}  // namespace vantix
