// CVantixDlg: the main window. Three pages (buttons, performance, lighting),
// five profiles, the bottom row of actions, and the link to the device agent.
// Every edit goes straight into the live settings block; only Apply (and the
// import and resets, which end in Apply) writes the profile files.
#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/apply_controller.h"
#include "app/buttons_page.h"
#include "app/lighting_page.h"
#include "app/main_layout.h"
#include "app/pointer_page.h"
#include "app/profile_sync.h"
#include "app/rules/desktop_rules.h"
#include "devicelink/agent_events.h"
#include "devicelink/message_bus.h"
#include "settings/folders.h"
#include "settings/profile_store.h"
#include "settings/settings_block.h"
#include "ui/bmp_menu.h"
#include "ui/skin.h"
#include "ui/window_message.h"

class QCloseEvent;
class QFileSystemWatcher;
class QSocketNotifier;

namespace vantix {

class DevicePanel;
class ProgramRulesPanel;
class KeyHook;
class ProcessLauncher;

// What the window works on, handed in by its owner.
struct DlgContext {
  Folders folders;
  SettingsBlock& live;
  const MessageBus& bus;  // also where the window's own endpoint lives
  ProcessLauncher& launcher;
  // Every file the window and the dialogs it opens read or write; the
  // program gives WindowFileIo(), whose lock wait is short.
  FileIo& io;
  // How long a message to the agent may wait for its answer; tests shorten it.
  std::chrono::milliseconds agent_send_limit = kSendTimeout;
  // The keyboard hook of the capturing dialogs; null: the program folder's
  // KBHook.so, loaded afresh by each dialog. Tests stand in for it.
  KeyHook* key_hook = nullptr;
  // How long an Apply waits for the agent's confirmation (kind 15) before
  // the bottom row comes back anyway; tests shorten it.
  std::chrono::milliseconds apply_confirm_limit = std::chrono::seconds(10);
  // The window's pictures, already being read (the program starts that
  // before Qt connects to the display); null: the window reads them itself.
  MainImagesLoad* images = nullptr;
  // The desktop setting that takes the double-click speed at Apply;
  // nothing: the session's own (FindSessionDoubleClickDesktop).
  std::optional<DoubleClickDesktop> double_click_desktop = std::nullopt;
};

class CVantixDlg final : public MessageWindow<QDialog> {
 public:
  explicit CVantixDlg(const DlgContext& context, QWidget* parent = nullptr);
  ~CVantixDlg() override;

  void SwitchPage(int page);
  void SwitchProfile(int index);
  void SetView(int view);
  void RefreshControls();
  // Brings the current profile's macro assignments in line with the macro
  // index (see RepairMacroAssignments), where the profile was loaded, shown
  // or its macros may have changed.
  void RepairMacroAssignments();
  // Shows the current profile's assignments on the buttons; changes nothing.
  void LabelRefresh();
  void ApplySettings() { apply_.Apply(); }

  // Edits the profile files lack, and the question at close (see
  // ApplyController).
  bool HasUnappliedEdits() const { return apply_.HasUnappliedEdits(); }
  bool QueryClose() { return apply_.QueryClose(); }

  // The assignment menu of button k (0..11), and the handling of its choice.
  void OpenAssignmentMenu(int button);
  void OnMenuPick(const MenuChoice& choice);
  CBmpMenu* AssignmentMenu() const { return assignment_menu_; }
  // A fire-key button's tooltip: what it fires, how many shots, how often;
  // empty for any other function.
  QString FireKeyTip(const ButtonRecord& record) const { return buttons_.FireKeyTip(record); }
  int SelectedButton() const { return selected_button_; }

  // Value editing.
  void ShowStages();
  void ShowStage(int stage);
  void ShowLightingMode(int mode);
  void ShowLightingGroups();
  void ShowStageLabel();
  void ShowColour();
  // Picks the wheel's colour under a client point; false when nothing was
  // picked (wheel not shown, or the point is off the wheel).
  bool PickColour(QPoint point);

  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override;
  void OnTimer(int id);
  bool TimerActive(int id) const;

  // State, for the window's owner and its tests.
  const MainControls& Controls() const { return controls_; }
  int Page() const { return page_; }
  int View() const { return view_; }
  int ProfileShown() const { return profile_; }
  int LightingModeShown() const { return lighting_.ModeShown(); }
  Rgb Colour() const { return lighting_.Colour(); }
  bool OwnsEndpoint() const { return endpoint_ != nullptr; }
  const Skin& SkinFiles() const { return skin_; }
  DevicePanel* Device() const { return device_panel_; }
  ProgramRulesPanel* Programs() const { return program_rules_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Keys for the open assignment menu, and the menu key that opens it;
  // whether the key was used.
  bool HandleMenuKey(QObject* watched, int key);

 private:
  // The window's own steps of an Apply: the save, and what follows it.
  ApplySteps ApplyStepsOfWindow();

  // Window creation and initialisation, in this order.
  void Create(MainImagesLoad* images);
  void InitDialog();
  void OpenEndpoint();
  void ConnectControls();

  // Command actions of the bottom row.
  void ExportCurrentProfile();
  void ImportIntoCurrentProfile();
  void ResetCurrentProfile();
  void ResetAll();
  // The version, and where the manual and the README are.
  void ShowAbout();
  // The one line that says an export or import was done (STATE text).
  void ShowResult(int text, const QString& path);
  void CloseAssignmentMenu();
  // The double-click speed through the desktop's setting, at Apply; the
  // note under its slider where there is none.
  void ApplyDoubleClick();
  void ShowDoubleClickNote();

  // The macro editor, modal over the main window (the macro tab and the
  // assignment menu's editor entry).
  void RunMacroEditor();
  // The repeat count of the macro under key in the index.
  std::int32_t MacroLoop(int key) const;

  // An edit of the current profile: the rules change it, the window shows
  // what they say.
  void Edit(const ValueEdit& edit);
  void ShowPointerSlider(int index, std::int32_t value);

  // Profile files changed by someone else: taken in where the window holds
  // no edits of that profile; at Apply the user decides about the others.
  void WatchDataFolder();
  void OnFilesChanged();
  void TakeOutsideChanges(bool at_apply);
  bool AskOverwrite(int profile);
  // Apply's save: asks about profiles changed by others, then saves with
  // no other writer in between.
  Status SaveProfilesMindingOthers();
  // Files too large to be ours, read as empty: one warning for each file in
  // a run, however often it is read again.
  void WarnDamaged(const std::vector<std::string>& paths);

  // The agent.
  std::int64_t OnAgentEvent(std::int64_t kind, std::int64_t value);
  std::int64_t OnAgentStatus();
  // The line about the profile that follows the program in front; true when
  // kind is the agent's profile event for a rule (or its end), which leaves
  // the window's own profile alone.
  bool ShowProgramFollowing(std::int64_t kind = -1);
  void ApplyStatusEffects(const StatusEffects& effects);

  ProfileRecord& Current();
  QString Text(int number) const { return skin_.UiText("General", number); }

  Folders folders_;
  SettingsBlock& live_;
  const MessageBus& bus_;
  ProcessLauncher& launcher_;
  FileIo& io_;
  Skin skin_;
  ProfileStore store_;
  ProfileSync sync_;
  BusAgentChannel agent_;  // with agent_send_limit on every sent message

  MainImages images_;
  MainControls controls_;
  std::unique_ptr<Endpoint> endpoint_;
  QSocketNotifier* notifier_ = nullptr;

  QFileSystemWatcher* files_watcher_ = nullptr;
  QTimer files_settle_timer_;  // one look after a burst of changes
  CStaticTrans* follow_line_ = nullptr;
  bool following_ = false;  // the agent serves a rule's profile
  DoubleClickDesktop double_click_desktop_ = DoubleClickDesktop::kNone;
  std::set<std::string> warned_damaged_;

  QTimer blink_timer_;
  StatusBlink blink_;

  int page_ = 0;
  int view_ = 0;
  std::uint8_t profile_ = 0;
  ButtonsPage buttons_{skin_, controls_, folders_.DataFolder, io_};
  PointerPage pointer_{skin_, controls_};
  LightingPage lighting_{this, controls_, images_};
  ApplyController apply_;

  // The assignment menu: at most one is open, for selected_button_.
  CBmpMenu* assignment_menu_ = nullptr;
  int selected_button_ = -1;
  KeyHook* key_hook_ = nullptr;
  // The served mouse, its chooser and the live test of its buttons.
  DevicePanel* device_panel_ = nullptr;
  // The programs that follow the profile being edited.
  ProgramRulesPanel* program_rules_ = nullptr;
};

}  // namespace vantix
