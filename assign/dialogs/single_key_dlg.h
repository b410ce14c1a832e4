// CSingleKeyDlg: the small skinned dialog that asks for one line of text
// (the macro editor asks it for a new macro's name).
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <QTimer>

#include <optional>

namespace vantix {

class CBitmapBtn;
class CClrEdit;
class CStaticTrans;
class Skin;

class CSingleKeyDlg final : public QDialog {
 public:
  static constexpr int kMaxTextUnits = 20;
  static constexpr int kFocusDelayMs = 50;

  CSingleKeyDlg(QWidget* parent, const Skin& skin, const QString& first_text,
                const QString& second_text);
  ~CSingleKeyDlg() override;

  // Runs the dialog; IDOK or IDCANCEL. On IDOK, Text() is what was typed.
  int DoModal();
  const QString& Text() const { return text_; }

  // Tests of the dialog's callers answer it without a window: the next
  // DoModal returns at once, IDOK with this text, or IDCANCEL for nullopt
  // given through SetNextCancel. Cleared by use; SetNextText(nullopt)
  // clears it too.
  static void SetNextText(std::optional<QString> text);
  static void SetNextCancel();

  CClrEdit* Edit() const { return edit_; }
  CBitmapBtn* OkButton() const { return ok_button_; }
  CBitmapBtn* CancelButton() const { return cancel_button_; }
  bool FocusTimerActive() const { return focus_timer_.isActive(); }

  // Enter and the OK button take the text; Escape and Cancel do not.
  void accept() override;
  void reject() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QString text_;
  QImage face_;
  QImage edit_frame_;
  CClrEdit* edit_ = nullptr;
  CBitmapBtn* ok_button_ = nullptr;
  CBitmapBtn* cancel_button_ = nullptr;
  CStaticTrans* first_label_ = nullptr;
  CStaticTrans* second_label_ = nullptr;
  QTimer focus_timer_;
  bool focus_timer_started_ = false;
};

}  // namespace vantix
