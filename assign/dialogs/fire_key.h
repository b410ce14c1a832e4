// CFireKey: the modal dialog behind the fire-key function. The user picks
// what a mouse button fires (the left, right or middle mouse button, or a
// keyboard key captured through the hook) and two numbers for the mouse:
// the first is kept in the record's LoopNumber, the second as decimal text
// in its MacroName.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

#include "assign/dialogs/key_capture_dialog.h"
#include "assign/dialogs/single_key.h"
#include "settings/function_codes.h"
#include "settings/settings_block.h"

namespace vantix {

class CClrEdit;
class CStaticTrans;

inline constexpr int kFireFirstNumberId = 0x5001;
inline constexpr int kFireSecondNumberId = 0x5002;

// What the dialog starts from and what it hands back.
struct FireKeyValues {
  int fire_mode = 0;  // 0 left, 1 right, 2 middle button, 3 keyboard key
  std::uint8_t key = kNoKey;
  std::int32_t first = 0;
  std::int32_t second = 0;
  KeyEventBlock events{};
  bool operator==(const FireKeyValues&) const = default;
};

// The dialog's starting values from a button's record. A record without a
// fire key starts in left-button mode with the numbers 3 and 0.
FireKeyValues FireKeyPreload(const ButtonRecord& record);

// Writes the result of an accepted dialog into the record of button (0..11).
// The first number keeps only its low byte; without a key the button falls
// back to its own function.
void StoreFireKey(const FireKeyValues& result, int button, ButtonRecord& record);

// The value of the leading digits of a text (an optional sign first, blanks
// before it skipped); 0 when there are none. Saturates at the int32 range.
std::int32_t LeadingNumber(std::u16string_view text);

class CFireKey final : public KeyCaptureDialog {
 public:
  static constexpr int kLeftButtonMode = 0;
  static constexpr int kRightButtonMode = 1;
  static constexpr int kMiddleButtonMode = 2;
  static constexpr int kKeyboardMode = 3;

  // hook must outlive the dialog. capture_mode is 1 (one key) for every
  // caller; it is kept for the caller's sake.
  CFireKey(QWidget* parent, const Skin& skin, KeyHook& hook, const QString& title,
           const QString& prompt, int capture_mode = 1);

  void SetValues(const FireKeyValues& values) { values_ = values; }
  const FireKeyValues& Values() const { return values_; }
  int KeyCount() const { return key_count_; }

  // Runs the dialog; IDOK or IDCANCEL.
  int DoModal();

  // Tests of the dialog's callers play the user, as CSingleKey::SetNextRun.
  static void SetNextRun(std::function<void(CFireKey&)> run);

  int FocusCount() const { return focus_count_; }
  bool HookEnabled() const { return hook_enabled_; }
  bool Untouched() const { return untouched_; }
  QString KeyText() const;
  CBitmapBtn* ModeButton(int mode) const { return mode_buttons_[static_cast<std::size_t>(mode)]; }
  CClrEdit* FirstBox() const { return first_box_; }
  CClrEdit* SecondBox() const { return second_box_; }

  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInit() override;
  void OnOk() override;
  void SelectMode(int mode);
  void OnModeClicked(int mode);
  void OnHookKey(std::uint8_t code, std::int64_t flags);
  void OnFocusReport(std::int64_t what);
  void EnableHook(bool on);

  FireKeyValues values_;
  int key_count_ = 0;
  int focus_count_ = 0;
  bool untouched_ = true;
  bool hook_enabled_ = false;

  CStaticTrans* title_label_ = nullptr;
  CStaticTrans* prompt_label_ = nullptr;
  std::array<CBitmapBtn*, 4> mode_buttons_{};
  CClrEdit* first_box_ = nullptr;
  CClrEdit* second_box_ = nullptr;
};

}  // namespace vantix
