// Apply and what hangs on it: the save and the notice to the agent, the
// bottom row's wait for the agent's answer, the edits the profile files do
// not hold yet (Apply's lit face and the line beside it), and the question
// when the window closes with such edits.
#pragma once

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>

#include "app/main_layout.h"
#include "devicelink/agent_events.h"
#include "devicelink/message_bus.h"
#include "settings/settings_block.h"
#include "settings/status.h"

class QWidget;

namespace vantix {

class CBitmapBtn;
class ProfileSync;
class Skin;

// The user's answer when the window closes with edits not yet applied.
enum class CloseAnswer { kApply, kDiscard, kStay };

// What Apply works with; all of it outlives the controller.
struct ApplyContext {
  QWidget* window;  // the parent of its dialogs, the owner of the bottom row
  const Skin& skin;
  SettingsBlock& live;
  const ProfileSync& sync;
  BusAgentChannel& agent;
  const MainControls& controls;
  const MainImages& images;
  // How long an Apply waits for the agent's confirmation before the bottom
  // row comes back anyway.
  std::chrono::milliseconds confirm_limit;
};

// The window's own steps of an Apply.
struct ApplySteps {
  // The save of the profile files, minding other writers.
  std::function<Status()> save;
  // Right after the save, before the window shows the result (what else
  // follows the saved files).
  std::function<void(const ApplyOutcome&)> saved;
  // Once the bottom row has its state back, when the save succeeded.
  std::function<void(const ApplyOutcome&)> done;
};

class ApplyController {
 public:
  ApplyController(const ApplyContext& context, ApplySteps steps);

  // Saves the profiles and tells the agent; the bottom row waits for its
  // answer.
  void Apply();
  // While Apply saves: changes in the data folder are its own.
  bool Applying() const { return applying_; }

  // Edits the profile files lack: Apply lights up while there are any, and
  // a close asks first. QueryClose is that question (true: the window may
  // close; the answer may have applied them).
  bool HasUnappliedEdits() const;
  void ShowUnapplied();
  bool QueryClose();
  // The session manager's question before the session ends, asked as at a
  // close.
  void WatchSessionEnd();

  // The agent's answers, and Apply's two timers.
  void OnConfirmed();
  void OnAgentStatus();
  // False where id is not one of Apply's timers.
  bool OnTimer(int id);
  bool TimerActive(int id) const;

 private:
  void CarryOut(const ApplyEffects& effects, const Status& saved = Status::Ok());
  void SetBottomRowEnabled(bool enabled);
  // Apply's save failed: the profiles on disk are not what the window shows.
  void WarnNotSaved(const Status& saved);
  CloseAnswer AskAboutUnapplied();

  ApplyContext context_;
  ApplySteps steps_;
  QTimer done_timer_;
  QTimer watch_timer_;
  ApplyWait wait_;
  bool applying_ = false;
  bool unapplied_shown_ = false;
  bool close_decided_ = false;  // the user answered the question at close
  CBitmapBtn* row_focus_ = nullptr;  // the bottom-row button that had the focus at Apply
};

}  // namespace vantix
