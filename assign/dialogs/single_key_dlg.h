// CSingleKeyDlg: the small skinned dialog that asks for one line of text
// (the macro editor asks it for a new macro's name).
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

namespace vantix {

class Skin;

class CSingleKeyDlg final : public QDialog {
 public:
  CSingleKeyDlg(QWidget* parent, const Skin& skin, const QString& first_text,
                const QString& second_text);
  ~CSingleKeyDlg() override;

  // Runs the dialog; IDOK or IDCANCEL. On IDOK, Text() is what was typed.
  int DoModal();
  const QString& Text() const { return text_; }

  // Tests of the dialog's callers answer it without a window: the next
  // DoModal returns at once, IDOK with this text, or IDCANCEL for nullopt
  // given through SetNextCancel. Cleared by use.
  static void SetNextText(std::optional<QString> text);
  static void SetNextCancel();

 private:
  QString text_;
};

}  // namespace vantix
