// Edits the profile files do not hold yet: Apply lights up and a line beside
// it says so while there are any, and closing the window (its close button,
// the window manager's close, the session ending) asks first whether to
// apply them, discard them or stay. What counts as an edit is ProfileSync's
// record of the files' values.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>

#include "app/vantix_dlg.h"
#include "ui/bitmap_btn.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {

bool CVantixDlg::HasUnappliedEdits() const { return sync_.AnyEdits(live_); }

void CVantixDlg::ShowUnapplied() {
  const bool edits = HasUnappliedEdits();
  if (edits == unapplied_shown_) return;
  unapplied_shown_ = edits;
  if (edits) close_decided_ = false;  // new edits are asked about afresh
  CBitmapBtn* apply = controls_.apply;
  const QImage& face = edits ? images_.apply_edits_face : images_.apply_face;
  apply->SetImages(face, edits ? images_.apply_edits_hover_face : images_.apply_hover_face, face,
                   face);
  // White on the lit face; the accent of the plain face's press would not
  // stand out of it.
  apply->SetTextColors(kPlainColor, edits ? kPlainColor : kHighlightColor,
                       edits ? kPlainColor : kHighlightColor);
  apply->update();
  controls_.status_unapplied->setVisible(edits);
  controls_.status_unapplied->RefreshBehind();
}

CloseAnswer CVantixDlg::AskAboutUnapplied() {
  CWarningDlg dlg(this, skin_, skin_.UiText("STATE", 2), skin_.UiText("STATE", 3),
                  skin_.UiText("STATE", 4));
  dlg.SetAnswers(skin_.UiText("STATE", 5), skin_.UiText("STATE", 6), skin_.UiText("STATE", 7));
  switch (dlg.DoModal()) {
    case IDOK: return CloseAnswer::kApply;
    case IDNO: return CloseAnswer::kDiscard;
    default: return CloseAnswer::kStay;
  }
}

bool CVantixDlg::QueryClose() {
  if (close_decided_ || !HasUnappliedEdits()) return true;
  switch (AskAboutUnapplied()) {
    case CloseAnswer::kApply:
      ApplySettings();
      // A save that failed has said so; the edits are still only here.
      close_decided_ = !HasUnappliedEdits();
      break;
    case CloseAnswer::kDiscard: close_decided_ = true; break;
    case CloseAnswer::kStay: break;
  }
  return close_decided_;
}

void CVantixDlg::closeEvent(QCloseEvent* event) {
  if (!QueryClose()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CVantixDlg::WatchSessionEnd() {
  // The session manager asks before it ends the session; with leave to talk
  // to the user the window asks as at a close, and "stay" cancels the end.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!HasUnappliedEdits() || !manager.allowsInteraction()) return;
    const bool may_end = QueryClose();
    manager.release();
    if (!may_end) manager.cancel();
  });
}

}  // namespace vantix
