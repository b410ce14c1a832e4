// The timed functions: macros with their delays and repeat modes, and fire
// keys tapping at their interval. Each keeps what it pressed and lets it go
// when it ends or is cut short.
#pragma once

#include <optional>
#include <vector>

#include "agent/button_plan.h"
#include "agent/input_mapper.h"
#include "agent/key_ledger.h"

namespace vantix::agent {

class SequencePlayer {
 public:
  // Whether a sequence started by this button is still going.
  bool Running(int button) const;
  // Starts the button's macro or fire key at now and plays what is due.
  void Start(int button, const ButtonPlan& plan, Millis now, KeyLedger& keys,
             std::vector<InputEvent>& out);
  // The button that started a sequence went up.
  void Released(int button, Millis now, KeyLedger& keys, std::vector<InputEvent>& out);
  std::optional<Millis> NextDeadline() const;
  void Tick(Millis now, KeyLedger& keys, std::vector<InputEvent>& out);
  // Cuts every sequence short, releasing what each holds.
  void StopAll(KeyLedger& keys, std::vector<InputEvent>& out);

 private:
  struct Run {
    int button = -1;
    bool held = true;
    bool done = false;
    Millis due = 0;
    std::vector<std::uint16_t> pressed;
    // Macro.
    bool macro = false;
    std::vector<MacroStep> steps;
    std::size_t next = 0;
    MacroLoop loop = MacroLoop::kOnce;
    int runs_left = 1;
    Millis run_start = 0;
    bool between_runs = false;  // a repeat while held waits for its start
    // Fire key.
    std::uint16_t fire_code = 0;
    int shots_left = 0;  // counts down; unused while tapping as long as held
    bool while_held = false;
    std::int32_t interval_ms = 0;
    Millis tap_start = 0;
  };

  static void Advance(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out);
  static void AdvanceMacro(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out);
  static void EndMacroRun(Run& run, KeyLedger& keys, std::vector<InputEvent>& out);
  static void AdvanceFire(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out);
  static void Let(Run& run, KeyLedger& keys, std::vector<InputEvent>& out);
  void Sweep();

  std::vector<Run> runs_;
};

}  // namespace vantix::agent
