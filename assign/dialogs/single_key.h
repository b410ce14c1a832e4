// CSingleKey: the modal dialog that captures the key (single mode) or the key
// combination (combination mode) of a mouse button. Keys come only from the
// keyboard hook, as WM_HOOK_KEY; while the capture field has the focus the
// dialog's own keyboard input is ignored, so Enter and Escape are keys to
// capture, not answers. Tabbed to OK or Cancel, Space or Enter press it and
// Escape cancels.
#pragma once

#include <QString>

#include <array>
#include <vector>
#include <cstdint>
#include <functional>

#include "assign/dialogs/key_capture_dialog.h"
#include "settings/function_codes.h"
#include "settings/settings_block.h"

namespace vantix {

class CStaticTrans;

using KeyEventBlock = std::array<std::uint8_t, kKeyEventBytes>;

inline constexpr std::uint8_t kNoKey = 0xFF;

// A combination's events as OK stores them: the presses of the usages in
// order, then their releases in reverse order; at most five usages.
KeyEventBlock CombinationEvents(const std::vector<std::uint8_t>& usages);

// The four modifier slots and the key slot, as the hook reports them.
struct KeySlots {
  // Shift, Ctrl, Win, Alt: 0 not held, 1 the left key, 2 the right key.
  std::array<std::uint8_t, 4> modifiers{};
  bool key_held = false;
  std::uint8_t key_code = 0;
  bool operator==(const KeySlots&) const = default;
};

class CSingleKey final : public KeyCaptureDialog {
 public:
  static constexpr int kCombinationMode = 0;
  static constexpr int kSingleMode = 1;

  // hook must outlive the dialog; the dialog installs it on its own window
  // when it opens and removes it when it is destroyed.
  CSingleKey(QWidget* parent, const Skin& skin, KeyHook& hook, const QString& title,
             const QString& prompt, int mode);

  // What the caller presets before DoModal and reads after IDOK.
  void SetKey(std::uint8_t usage) { key_ = usage; }
  void SetKeyCount(int count) { key_count_ = count; }
  void SetEventBlock(const KeyEventBlock& block) { events_ = block; }
  std::uint8_t Key() const { return key_; }
  int KeyCount() const { return key_count_; }
  const KeyEventBlock& EventBlock() const { return events_; }

  // Runs the dialog; IDOK or IDCANCEL.
  int DoModal();

  // Tests of the dialog's callers play the user: the next DoModal opens the
  // dialog (hook installed, preloaded value shown), calls run instead of
  // waiting, and returns the answer the run gave (IDCANCEL if none). Cleared
  // by use.
  static void SetNextRun(std::function<void(CSingleKey&)> run);

  int Mode() const { return mode_; }
  bool Untouched() const { return untouched_; }
  QString KeyText() const;
  const KeySlots& LiveSlots() const { return live_; }
  const KeySlots& CommittedSlots() const { return committed_; }

  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                               std::int64_t lparam) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void OnInit() override;
  void OnOk() override;
  void OnHookKey(std::uint8_t code, std::int64_t flags);
  void OnCombinationPress(std::uint8_t code);
  void OnCombinationRelease(std::uint8_t code);
  void ShowText(const QString& text);

  int mode_;
  std::uint8_t key_ = kNoKey;
  int key_count_ = 0;
  KeyEventBlock events_{};
  bool untouched_ = true;
  KeySlots live_;
  KeySlots committed_;

  CStaticTrans* title_label_ = nullptr;
  CStaticTrans* prompt_label_ = nullptr;
};

}  // namespace vantix
