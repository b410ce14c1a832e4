// CMacroDlg: the macro editor. The macros on the left, the events of the
// selected one in the middle, its options and the editing buttons on the
// right. Every change is written to the macro's file at once and announced
// to the device agent, so both closing buttons only close the window.
#pragma once

#include <QDialog>
#include <QImage>

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "devicelink/agent_channel.h"
#include "hook/hook_link.h"
#include "ui/platform_key_hook.h"
#include "macro/macro_files.h"
#include "macro/macro_recorder.h"
#include "settings/settings_block.h"
#include "ui/bmp_menu.h"
#include "ui/window_message.h"

namespace vantix {

class CBitmapBtn;
class CClrEdit;
class CListBoxEx;
class CStaticTrans;
class Skin;

// What the editor works on, handed in by the main window.
struct MacroEditorContext {
  const Skin& skin;
  std::string data_folder;  // ends with '/'
  AgentChannel& agent;
  // The live settings: which buttons use a macro whose repeat setting changed.
  const SettingsBlock& settings;
  // The file layer of the program that opens the editor.
  FileIo& io;
  // Tests stand in for the hook library and the tick count.
  KeyHook* hook = nullptr;
  MacroRecorder::Clock clock;
};

// The editor's controls, for its tests.
struct MacroControls {
  CListBoxEx* names = nullptr;
  CListBoxEx* events = nullptr;
  CBitmapBtn* new_macro = nullptr;
  CBitmapBtn* delete_macro = nullptr;
  CBitmapBtn* record = nullptr;
  CBitmapBtn* stop = nullptr;
  CBitmapBtn* delay_measured = nullptr;  // delay box A
  CBitmapBtn* delay_fixed = nullptr;     // delay box B
  CBitmapBtn* loop_times = nullptr;      // loop box A
  CBitmapBtn* loop_held = nullptr;       // loop box B
  CClrEdit* delay_box = nullptr;
  CClrEdit* loop_box = nullptr;
  // Insert-record, delete, up, down, copy, cut, paste, insert-click.
  std::array<CBitmapBtn*, 8> editing{};
  CBitmapBtn* ok = nullptr;
  CBitmapBtn* close = nullptr;
  CStaticTrans* total_delay = nullptr;
  CStaticTrans* event_count = nullptr;
  std::vector<CStaticTrans*> labels;

  CBitmapBtn* insert_record() const { return editing[0]; }
  CBitmapBtn* delete_event() const { return editing[1]; }
  CBitmapBtn* up() const { return editing[2]; }
  CBitmapBtn* down() const { return editing[3]; }
  CBitmapBtn* copy() const { return editing[4]; }
  CBitmapBtn* cut() const { return editing[5]; }
  CBitmapBtn* paste() const { return editing[6]; }
  CBitmapBtn* insert_click() const { return editing[7]; }
};

class CMacroDlg final : public MessageWindow<QDialog> {
 public:
  static constexpr int kWidth = 757;
  static constexpr int kHeight = 582;
  static constexpr int kNameListId = 0x1014;
  static constexpr int kEventListId = 0x1012;
  static constexpr int kDelayBoxTag = 1;
  static constexpr int kLoopBoxTag = 2;
  // Results of the two closing buttons.
  static constexpr int kResultOk = 1;
  static constexpr int kResultClose = 16;

  CMacroDlg(QWidget* parent, const MacroEditorContext& context);
  ~CMacroDlg() override;

  int DoModal();

  // Commands: the control that was clicked.
  void OnCommand(QObject* control);
  void StartRecording(bool insert);
  void StopRecording();
  std::int64_t OnHookKey(std::int64_t wparam, std::int64_t lparam);
  void LoadSelected();
  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override;

  // State, for tests.
  const MacroControls& Controls() const { return controls_; }
  const MacroData& Macro() const { return macro_; }
  bool Recording() const { return recorder_.Recording(); }
  CBmpMenu* InsertClickMenu() const { return menu_; }
  // The "WARNING" number of the last warning shown, and its third line.
  std::optional<int> LastWarning() const { return last_warning_; }
  const QString& LastWarningDetail() const { return last_warning_detail_; }
  void ForgetLastWarning() { last_warning_.reset(); }

  void done(int result) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // "WARNING" texts of the editor.
  static constexpr int kWarnDeleteMacro = 10;
  static constexpr int kWarnListFull = 12;
  static constexpr int kWarnUnreleased = 13;
  static constexpr int kWarnNoMacro = 14;
  static constexpr int kWarnBadName = 15;
  static constexpr int kWarnWriteFailed = 16;
  static constexpr int kWarnDamaged = 20;
  static constexpr int kWarnNoCapture = 21;

  void BuildControls();
  void NameForReaders();
  void FillNameList(const std::vector<std::string>& names);
  QString SelectedName() const;
  bool HasSelectedMacro() const;
  bool RequireMacro();
  bool SaveSelected();
  void AnnounceSaved();
  void RefreshTotals();
  void RefreshEnabled();
  void SetRecordingControls(bool recording);
  void ShowEventRows();
  void InsertRow(int row, const MacroEvent& event, std::optional<KeyCode> key_code = {});
  // A warning: WARNING 1 as its title, text as its message; the answer.
  int Warn(int text, const QString& detail = QString());
  void WarnWriteFailed(const MacroOutcome& outcome);
  void CloseMenu();
  void CommitNumberBox();
  void ApplyEditedDelay(std::int64_t value, std::int64_t row);

  // Commands.
  void OnDelayBox(CBitmapBtn* box, std::int32_t delay_type);
  void OnLoopBox(CBitmapBtn* box);
  void DeleteEvent();
  void MoveEvent(int by);
  void CopyEvent(bool cut);
  void PasteEvent();
  void OpenInsertClickMenu();
  void OnMenuPick(const MenuChoice& picked);
  void NewMacro();
  void DeleteSelectedMacro();
  std::int64_t OnEditKeyUp();

  const Skin& skin_;
  AgentChannel& agent_;
  const SettingsBlock& settings_;
  MacroFiles files_;
  std::optional<PlatformKeyHook> own_hook_;
  KeyHook* hook_;
  MacroRecorder recorder_;
  MacroData macro_;
  std::optional<MacroEvent> clipboard_;
  CBmpMenu* menu_ = nullptr;
  QImage face_;
  QImage outline_;
  MacroControls controls_;
  std::optional<int> last_warning_;
  QString last_warning_detail_;
  bool last_save_failed_ = false;
  // Damaged macro files already told of: once each, however often shown.
  std::set<std::string> warned_damaged_;
};

}  // namespace vantix
