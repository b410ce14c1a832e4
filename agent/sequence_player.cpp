#include "agent/sequence_player.h"

#include <algorithm>

namespace vantix::agent {
namespace {

bool Holds(const std::vector<std::uint16_t>& pressed, std::uint16_t code) {
  return std::find(pressed.begin(), pressed.end(), code) != pressed.end();
}

}  // namespace

bool SequencePlayer::Running(int button) const {
  return std::any_of(runs_.begin(), runs_.end(), [button](const Run& run) { return run.button == button; });
}

void SequencePlayer::Start(int button, const ButtonPlan& plan, Millis now, KeyLedger& keys,
                           std::vector<InputEvent>& out) {
  Run run;
  run.button = button;
  run.due = now;
  if (plan.kind == ButtonPlan::Kind::kMacro) {
    run.macro = true;
    run.steps = plan.steps;  // a copy: the profile may change while it plays
    run.loop = plan.loop;
    run.runs_left = plan.loop == MacroLoop::kTimes ? plan.runs : 1;
    run.run_start = now;
  } else if (plan.kind == ButtonPlan::Kind::kFire) {
    run.fire_code = plan.fire_code;
    run.while_held = plan.shots == 0;
    run.shots_left = plan.shots;
    run.interval_ms = std::max(plan.interval_ms, kMinIntervalMs);
  } else {
    return;
  }
  runs_.push_back(std::move(run));
  Advance(runs_.back(), now, keys, out);
  Sweep();
}

void SequencePlayer::Released(int button, Millis now, KeyLedger& keys, std::vector<InputEvent>& out) {
  for (Run& run : runs_) {
    if (run.button != button) continue;
    run.held = false;
    // Tapping while held stops at once between taps; a tap under way ends
    // with its release.
    if (!run.macro && run.while_held && run.pressed.empty()) run.done = true;
    // A repeat not yet begun is not played.
    if (run.macro && run.between_runs) run.done = true;
    Advance(run, now, keys, out);
  }
  Sweep();
}

std::optional<Millis> SequencePlayer::NextDeadline() const {
  std::optional<Millis> next;
  for (const Run& run : runs_) {
    if (!next || run.due < *next) next = run.due;
  }
  return next;
}

void SequencePlayer::Tick(Millis now, KeyLedger& keys, std::vector<InputEvent>& out) {
  for (Run& run : runs_) Advance(run, now, keys, out);
  Sweep();
}

void SequencePlayer::StopAll(KeyLedger& keys, std::vector<InputEvent>& out) {
  for (Run& run : runs_) Let(run, keys, out);
  runs_.clear();
}

void SequencePlayer::Advance(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out) {
  if (run.macro) {
    AdvanceMacro(run, now, keys, out);
  } else {
    AdvanceFire(run, now, keys, out);
  }
}

void SequencePlayer::AdvanceMacro(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out) {
  while (!run.done && run.due <= now) {
    run.between_runs = false;
    if (run.next == run.steps.size()) {
      EndMacroRun(run, keys, out);
      continue;
    }
    const MacroStep& step = run.steps[run.next++];
    switch (step.kind) {
      case MacroStep::Kind::kPress:
        if (!Holds(run.pressed, step.code)) {
          run.pressed.push_back(step.code);
          keys.Press(step.code, out);
        }
        break;
      case MacroStep::Kind::kRelease:
        // Only what this macro pressed: a key held by another button stays.
        if (Holds(run.pressed, step.code)) {
          std::erase(run.pressed, step.code);
          keys.Release(step.code, out);
        }
        break;
      case MacroStep::Kind::kDelay: run.due += step.delay_ms; break;
    }
  }
}

void SequencePlayer::EndMacroRun(Run& run, KeyLedger& keys, std::vector<InputEvent>& out) {
  Let(run, keys, out);
  bool again = false;
  switch (run.loop) {
    case MacroLoop::kTimes: again = --run.runs_left > 0; break;
    case MacroLoop::kWhileHeld: again = run.held; break;
    case MacroLoop::kOnce: break;
  }
  if (!again) {
    run.done = true;
    return;
  }
  // A run without delays still takes a moment, so repeats cannot flood.
  run.due = std::max(run.due, run.run_start + kMinIntervalMs);
  run.run_start = run.due;
  run.next = 0;
  run.between_runs = run.loop == MacroLoop::kWhileHeld;
}

void SequencePlayer::AdvanceFire(Run& run, Millis now, KeyLedger& keys, std::vector<InputEvent>& out) {
  while (!run.done && run.due <= now) {
    if (run.pressed.empty()) {
      run.pressed.push_back(run.fire_code);
      keys.Press(run.fire_code, out);
      run.tap_start = run.due;
      // Down for half the interval: a press and release in the same instant
      // is missed by programs that poll the key state.
      run.due = run.tap_start + run.interval_ms / 2;
      continue;
    }
    Let(run, keys, out);
    if (!run.while_held) --run.shots_left;
    run.done = run.while_held ? !run.held : run.shots_left <= 0;
    run.due = run.tap_start + run.interval_ms;
  }
}

void SequencePlayer::Let(Run& run, KeyLedger& keys, std::vector<InputEvent>& out) {
  for (auto it = run.pressed.rbegin(); it != run.pressed.rend(); ++it) keys.Release(*it, out);
  run.pressed.clear();
}

void SequencePlayer::Sweep() {
  std::erase_if(runs_, [](const Run& run) { return run.done; });
}

}  // namespace vantix::agent
