// CWarningDlg: the program's skinned message box. A fixed-size modal dialog
// with a warning picture, a bold title, two lines of text and OK / Cancel.
#pragma once

#include <QDialog>
#include <QImage>

#include <optional>

namespace vantix {

class CBitmapBtn;
class CStaticTrans;
class Skin;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDNO = 7;

class CWarningDlg final : public QDialog {
 public:
  static constexpr int kWidth = 478;
  static constexpr int kHeight = 292;

  CWarningDlg(QWidget* parent, const Skin& skin, const QString& title, const QString& message,
              const QString& detail);

  // Three answers instead of two: ok (IDOK), no (IDNO) and cancel
  // (IDCANCEL), side by side in that order. Enter answers ok, Escape cancel.
  void SetAnswers(const QString& ok, const QString& no, const QString& cancel);

  // Another picture instead of the warning sign (for a box that warns of
  // nothing), fitted into the same place without stretching; a null image
  // leaves the place empty.
  void SetPicture(const QImage& picture);

  // Runs the dialog; IDOK or IDCANCEL (or IDNO, with three answers).
  int DoModal();

  // Tests of the dialog's callers answer it without a window: the next
  // DoModal returns this at once. Cleared by use.
  static void SetNextAnswer(std::optional<int> answer);

  CBitmapBtn* OkButton() const { return ok_button_; }
  CBitmapBtn* CancelButton() const { return cancel_button_; }
  CBitmapBtn* NoButton() const { return no_button_; }

  void accept() override { done(IDOK); }
  void reject() override { done(IDCANCEL); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QImage face_;
  QImage icon_;
  CBitmapBtn* ok_button_ = nullptr;
  CBitmapBtn* cancel_button_ = nullptr;
  CBitmapBtn* no_button_ = nullptr;
  const Skin& skin_;
  CStaticTrans* title_label_ = nullptr;
  CStaticTrans* message_label_ = nullptr;
  CStaticTrans* detail_label_ = nullptr;
};

}  // namespace vantix
