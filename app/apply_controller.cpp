#include "app/apply_controller.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

#include "app/profile_sync.h"
#include "devicelink/device_link.h"
#include "ui/bitmap_btn.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {

ApplyController::ApplyController(const ApplyContext& context, ApplySteps steps)
    : context_(context), steps_(std::move(steps)), wait_(context.confirm_limit) {
  done_timer_.setInterval(kApplyDoneDelayMs);
  QObject::connect(&done_timer_, &QTimer::timeout, context_.window,
                   [this] { OnTimer(kTimerApplyDone); });
  watch_timer_.setInterval(wait_.WatchInterval());
  QObject::connect(&watch_timer_, &QTimer::timeout, context_.window,
                   [this] { OnTimer(kTimerApplyWatch); });
}

void ApplyController::Apply() {
  CarryOut(wait_.Begin());
  applying_ = true;
  const ApplyOutcome outcome = ApplyProfiles(context_.agent, steps_.save);
  applying_ = false;
  steps_.saved(outcome);
  ShowUnapplied();
  CarryOut(wait_.Saved(outcome), outcome.saved);
  if (outcome.saved.ok()) steps_.done(outcome);
}

void ApplyController::CarryOut(const ApplyEffects& e, const Status& saved) {
  if (e.stop_watch) watch_timer_.stop();
  if (e.start_done_timer) done_timer_.start();
  if (e.start_watch) watch_timer_.start();
  if (e.warn_not_saved) WarnNotSaved(saved);
  if (e.row_enabled) SetBottomRowEnabled(*e.row_enabled);
  if (e.show_unconfirmed) SetLabelShown(context_.controls.status_unconfirmed, *e.show_unconfirmed);
}

void ApplyController::SetBottomRowEnabled(bool enabled) {
  QWidget* window = context_.window;
  const auto row = context_.controls.BottomRow();
  // A focused button that is disabled hands the focus on to the next
  // control in the chain, the first profile tab, where the next Space would
  // switch profiles. The window holds it meanwhile, and the button takes it
  // back with the row unless the user has moved on.
  for (CBitmapBtn* b : row) {
    if (!enabled && b->hasFocus()) {
      row_focus_ = b;
      window->setFocus(Qt::OtherFocusReason);
    }
  }
  for (CBitmapBtn* b : row) b->setEnabled(enabled);
  if (enabled && row_focus_ != nullptr) {
    if (window->focusWidget() == window || window->focusWidget() == nullptr) {
      row_focus_->setFocus(Qt::TabFocusReason);
    }
    row_focus_ = nullptr;
  }
}

void ApplyController::WarnNotSaved(const Status& saved) {
  const Skin& skin = context_.skin;
  CWarningDlg warning(context_.window, skin, skin.UiText("WARNING", 1),
                      skin.UiText("WARNING", 19), QString::fromStdString(saved.reason()));
  warning.DoModal();
}

void ApplyController::OnConfirmed() { CarryOut(wait_.OnConfirmed()); }

void ApplyController::OnAgentStatus() { CarryOut(wait_.OnAgentStatus()); }

bool ApplyController::OnTimer(int id) {
  if (id == kTimerApplyDone) {
    done_timer_.stop();
    CarryOut(wait_.OnDone());
  } else if (id == kTimerApplyWatch) {
    CarryOut(wait_.OnWatchTick(context_.agent.FindAgent()));
  } else {
    return false;
  }
  return true;
}

bool ApplyController::TimerActive(int id) const {
  if (id == kTimerApplyDone) return done_timer_.isActive();
  if (id == kTimerApplyWatch) return watch_timer_.isActive();
  return false;
}

// Edits the profile files do not hold yet: what counts as an edit is
// ProfileSync's record of the files' values.
bool ApplyController::HasUnappliedEdits() const { return context_.sync.AnyEdits(context_.live); }

void ApplyController::ShowUnapplied() {
  const bool edits = HasUnappliedEdits();
  if (edits == unapplied_shown_) return;
  unapplied_shown_ = edits;
  if (edits) close_decided_ = false;  // new edits are asked about afresh
  const MainImages& images = context_.images;
  CBitmapBtn* apply = context_.controls.apply;
  const QImage& face = edits ? images.apply_edits_face : images.apply_face;
  apply->SetImages(face, edits ? images.apply_edits_hover_face : images.apply_hover_face, face,
                   face);
  // White on the lit face; the accent of the plain face's press would not
  // stand out of it.
  apply->SetTextColors(kPlainColor, edits ? kPlainColor : kHighlightColor,
                       edits ? kPlainColor : kHighlightColor);
  apply->update();
  context_.controls.status_unapplied->setVisible(edits);
  context_.controls.status_unapplied->RefreshBehind();
}

CloseAnswer ApplyController::AskAboutUnapplied() {
  const Skin& skin = context_.skin;
  CWarningDlg dlg(context_.window, skin, skin.UiText("STATE", 2), skin.UiText("STATE", 3),
                  skin.UiText("STATE", 4));
  dlg.SetAnswers(skin.UiText("STATE", 5), skin.UiText("STATE", 6), skin.UiText("STATE", 7));
  switch (dlg.DoModal()) {
    case IDOK: return CloseAnswer::kApply;
    case IDNO: return CloseAnswer::kDiscard;
    default: return CloseAnswer::kStay;
  }
}

bool ApplyController::QueryClose() {
  if (close_decided_ || !HasUnappliedEdits()) return true;
  switch (AskAboutUnapplied()) {
    case CloseAnswer::kApply:
      Apply();
      // A save that failed has said so; the edits are still only here.
      close_decided_ = !HasUnappliedEdits();
      break;
    case CloseAnswer::kDiscard: close_decided_ = true; break;
    case CloseAnswer::kStay: break;
  }
  return close_decided_;
}

void ApplyController::WatchSessionEnd() {
  // The session manager asks before it ends the session; with leave to talk
  // to the user the window asks as at a close, and "stay" cancels the end.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, context_.window,
                   [this](QSessionManager& manager) {
                     if (!HasUnappliedEdits() || !manager.allowsInteraction()) return;
                     const bool may_end = QueryClose();
                     manager.release();
                     if (!may_end) manager.cancel();
                   });
}

}  // namespace vantix
