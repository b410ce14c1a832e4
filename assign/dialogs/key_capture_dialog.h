// KeyCaptureDialog: what the two key-capturing dialogs (the key dialog and
// the fire-key dialog) share. The skinned face and outline, OK and Cancel,
// the keyboard hook installed on the window when it opens and removed when
// it is destroyed, the modal run with its stand-in for tests, and which of
// the hook's key reports count as captured.
//
// The keyboard: the capture field (the readout of the captured key) holds
// the focus when the dialog opens, and every key typed there is captured;
// Tab leaves it, except as the first key typed in the field since the
// dialog opened or the field was clicked: then Tab is captured like any
// other key (Tab on a mouse button is common), and the next Tab leaves. While another control holds the focus the hook's reports
// do not count, and that control takes its keys as anywhere else (Space or
// Enter press the focused button). A key Qt used to move the focus or press
// a control is not captured either, nor the release of a key whose press
// did not count.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <set>

#include "ui/skin.h"
#include "ui/small_dialog.h"
#include "ui/window_message.h"

namespace vantix {

class CBitmapBtn;
class KeyHook;

class KeyCaptureDialog : public MessageWindow<QDialog> {
 public:
  ~KeyCaptureDialog() override;

  CBitmapBtn* KeyDisplay() const { return key_display_; }
  CBitmapBtn* OkButton() const { return ok_button_; }
  CBitmapBtn* CancelButton() const { return cancel_button_; }

 protected:
  // hook must outlive the dialog.
  KeyCaptureDialog(QWidget* parent, const Skin& skin, KeyHook& hook, const QString& title);

  // The derived constructor ends with this, once its controls exist: the
  // capture field at display_rect, OK and Cancel, the size and outline,
  // the Tab order and the names screen readers give.
  void FinishLayout(const QRect& display_rect, const QString& prompt);

  // Installs the hook on the window and enables it, once, then OnInit.
  void InitDialog();
  virtual void OnInit() = 0;
  virtual void OnOk() = 0;

  // Runs the dialog modally, or lets a test's next_run act as the user.
  template <typename Dialog>
  int RunModal(std::function<void(Dialog&)>& next_run) {
    InitDialog();
    return RunModalOrStandIn(static_cast<Dialog&>(*this), next_run);
  }

  // Every hook report, first, before any filter drops it.
  void NoteReport(std::uint8_t code, bool released);
  // A release whose press the dialog was never told of: a key held down
  // before it opened (the Enter that picked the menu item).
  bool ReleaseWithoutPress(std::uint8_t code, bool released);
  // Whether a hook report counts as a key typed into the dialog.
  bool CountsAsCaptured(std::uint8_t code, bool released);
  // Whether the keyboard focus is where keys are captured.
  bool CaptureHasFocus() const;
  // Gives the capture field the focus.
  void FocusCapture();

  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

  Skin skin_;
  KeyHook& hook_;
  QImage face_;
  QImage outline_;

 private:
  bool initialised_ = false;
  CBitmapBtn* key_display_ = nullptr;
  CBitmapBtn* ok_button_ = nullptr;
  CBitmapBtn* cancel_button_ = nullptr;
  // Keys whose press did not count: their release does not either.
  std::set<std::uint8_t> uncounted_;
  // Keys whose press the dialog was told of: only their release counts.
  std::set<std::uint8_t> reported_down_;
  // Whether a key was typed in the capture field since it took the focus
  // (or it was reached with Tab): then Tab leaves it.
  bool typed_since_focus_ = false;
};

}  // namespace vantix
