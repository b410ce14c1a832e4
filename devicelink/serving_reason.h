// Why the agent serves no mouse, sorted into the cases a user can act on.
// The agent gives its reason as one English line (vantixctl agent status
// prints it as it is); the window says the same in the user's language, with
// what to do, from the case and the node and device named in the line.
#pragma once

#include <string>
#include <string_view>

namespace vantix {

struct ServingReason {
  enum class Kind {
    kNone,          // no reason given
    kNoAccess,      // an event node the agent may not read
    kNoUinput,      // /dev/uinput missing or not writable
    kNoMouse,       // no mouse of the product and no other choice
    kChosenAbsent,  // the chosen device is not there
    kReleased,      // the user chose none
    kHeld,          // another program grabbed the mouse
    kNotMouse,      // the chosen device is no mouse
    kDisconnected,  // the simulated mouse was disconnected
    kOther,
  };
  Kind kind = Kind::kNone;
  std::string node;    // an event node, /dev/uinput or a list of nodes
  std::string device;  // the device's name or the choice
  bool operator==(const ServingReason&) const = default;
};

ServingReason ClassifyServingReason(std::string_view reason);

}  // namespace vantix
