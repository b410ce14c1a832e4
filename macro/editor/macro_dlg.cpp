#include "macro/editor/macro_dlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "devicelink/device_link.h"
#include "hook/hook_protocol.h"
#include "ui/accessible.h"
#include "macro/editor/list_box_accessible.h"
#include "macro/editor/list_box_ex.h"
#include "macro/event_rows.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/keyboard_focus.h"
#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {

CMacroDlg::CMacroDlg(QWidget* parent, const MacroEditorContext& context)
    : MessageWindow<QDialog>(parent, Qt::Dialog | Qt::FramelessWindowHint),
      skin_(context.skin),
      agent_(context.agent),
      settings_(context.settings),
      files_(context.data_folder, context.io),
      hook_(context.hook),
      recorder_(context.clock) {
  setObjectName(QStringLiteral("macroEditor"));
  new SkinDrag(this);
  setWindowTitle(skin_.UiText("MACRO", 1));
  setModal(true);

  face_ = LoadSkinImage(skin_.BackgroundPath("dlg2.png"));
  LoadPictureFile(skin_.BackgroundPath("cfgMainback.bmp"), outline_);
  setFixedSize(kWidth, kHeight);
  // Before any control exists: Qt keeps the first interface it makes.
  InstallSkinAccessibility();
  InstallListBoxAccessibility();
  BuildControls();
  NameForReaders();
  // Panel by panel, left to right, each from the top; then the bottom row.
  const MacroControls& c = controls_;
  SetTabChain({c.names, c.new_macro, c.delete_macro, c.events, c.record, c.stop,
               c.delay_measured, c.delay_fixed, c.delay_box, c.loop_times, c.loop_box,
               c.loop_held, c.editing[0], c.editing[1], c.editing[2], c.editing[3], c.editing[4],
               c.editing[5], c.editing[6], c.editing[7], c.ok, c.close});

  FillNameList(files_.ReadMacroList());
  controls_.names->SetCurSel(0);
  LoadSelected();
  ApplyWindowOutline(this, outline_);
  // Typing goes nowhere until the user picks a field.
  controls_.names->setFocus(Qt::OtherFocusReason);
  // The delay type stays as the first macro has it, as its boxes show: a
  // first recording then records the delays the user sees chosen.
  RefreshEnabled();

  if (hook_ == nullptr) hook_ = &own_hook_.emplace(skin_.ProgramFolder());
  // Enter, Escape and Space never close or trigger anything here, and keys
  // typed during a recording are recorded, not obeyed.
  qApp->installEventFilter(this);
}

int CMacroDlg::DoModal() { return ExecOverParent(*this); }

CMacroDlg::~CMacroDlg() {
  qApp->removeEventFilter(this);
  CloseMenu();
  hook_->EnableHook(false);
  hook_->RemoveHook();
}

void CMacroDlg::FillNameList(const std::vector<std::string>& names) {
  controls_.names->ResetContent();
  for (const std::string& name : names) {
    controls_.names->SetItemData(controls_.names->AddString(QString::fromStdString(name)), 0);
  }
}

QString CMacroDlg::SelectedName() const {
  return controls_.names->GetText(controls_.names->GetCurSel());
}

bool CMacroDlg::HasSelectedMacro() const {
  return controls_.names->GetCurSel() != -1 && !macro_.name.empty();
}

int CMacroDlg::Warn(int text, const QString& detail) {
  last_warning_ = text;
  last_warning_detail_ = detail;
  CWarningDlg dlg(this, skin_, skin_.UiText("WARNING", 1), skin_.UiText("WARNING", text), detail);
  return dlg.DoModal();
}

void CMacroDlg::WarnWriteFailed(const MacroOutcome& outcome) {
  Warn(kWarnWriteFailed, QString::fromStdString(outcome.status.reason()));
}

bool CMacroDlg::RequireMacro() {
  if (controls_.names->GetCount() > 0) return true;
  Warn(kWarnNoMacro);
  return false;
}

bool CMacroDlg::SaveSelected() {
  if (!HasSelectedMacro()) return false;
  macro_.LoopTime = LeadingDecimal(controls_.loop_box->text().toStdString());
  macro_.LoopType = controls_.loop_held->Checked()    ? kLoopSecondMode
                    : controls_.loop_times->Checked() ? kLoopTimes
                                                      : kLoopNone;
  const MacroOutcome saved = files_.SaveMacro(macro_);
  // A failing disk is told once, not at every key typed into a box.
  if (!saved.ok() && !last_save_failed_) WarnWriteFailed(saved);
  last_save_failed_ = !saved.ok();
  return saved.ok();
}

void CMacroDlg::AnnounceSaved() { NotifyMacroChanged(agent_, files_.FindMacroSlot(macro_.name)); }

void CMacroDlg::RefreshTotals() {
  controls_.total_delay->setText(QString::number(TotalDelayMs(macro_.events)));
  controls_.event_count->setText(QString::number(controls_.events->GetCount()));
  controls_.total_delay->RefreshBehind();
  controls_.event_count->RefreshBehind();
}

void CMacroDlg::RefreshEnabled() {
  const bool any = controls_.names->GetCount() > 0;
  for (CBitmapBtn* b : {controls_.delay_measured, controls_.delay_fixed, controls_.loop_times,
                        controls_.loop_held}) {
    b->setEnabled(any);
  }
  for (CBitmapBtn* b : controls_.editing) b->setEnabled(any);
  controls_.delay_box->setEnabled(any);
  controls_.loop_box->setEnabled(any);
}

void CMacroDlg::SetRecordingControls(bool recording) {
  MacroControls& c = controls_;
  c.record->setEnabled(!recording);
  c.stop->setEnabled(recording);
  for (QWidget* w : std::initializer_list<QWidget*>{
           c.ok, c.close, c.names, c.delay_measured, c.delay_fixed, c.loop_times, c.loop_held,
           c.delay_box, c.loop_box}) {
    w->setEnabled(!recording);
  }
  for (CBitmapBtn* b : c.editing) b->setEnabled(!recording);
}

void CMacroDlg::InsertRow(int row, const MacroEvent& event, std::optional<KeyCode> key_code) {
  EventRow text;
  if (key_code) {
    text = EventRow{KeyRowText(*key_code, skin_.Strings()), event.IsPress() ? kRowPress : kRowRelease};
  } else if (std::optional<EventRow> made = MakeEventRow(event, skin_.Strings())) {
    text = *made;
  }
  const int index = controls_.events->InsertString(row, QString::fromStdString(text.text));
  controls_.events->SetItemData(index, text.item_data);
}

void CMacroDlg::ShowEventRows() {
  controls_.events->ResetContent();
  for (const EventRow& row : EventRows(macro_.events, skin_.Strings())) {
    controls_.events->SetItemData(controls_.events->AddString(QString::fromStdString(row.text)), row.item_data);
  }
}

void CMacroDlg::LoadSelected() {
  MacroControls& c = controls_;
  if (c.names->GetCount() == 0) return;
  MacroData loaded;
  const std::string name = SelectedName().toStdString();
  const MacroOutcome outcome = files_.LoadMacro(name, loaded);
  if (!outcome.ok()) {
    // A name no file can have (written into the index by hand): nothing to
    // show, and nothing is ever saved under it.
    loaded = MacroData{};
  }
  // A file too large to be a macro shows empty; its next save sets it aside.
  if (outcome.damaged && warned_damaged_.insert(name).second) {
    Warn(kWarnDamaged, QString::fromStdString(name));
  }
  PackListedEvents(loaded.events);
  macro_ = std::move(loaded);
  ShowEventRows();
  c.events->SetCurSel(0);

  switch (macro_.LoopType) {
    case kLoopTimes:
      c.loop_times->SetChecked(true);
      c.loop_held->SetChecked(false);
      c.loop_box->setText(QString::number(macro_.LoopTime == 0 ? 1 : macro_.LoopTime));
      break;
    case kLoopSecondMode:
      c.loop_times->SetChecked(false);
      c.loop_held->SetChecked(true);
      c.loop_box->setText(QStringLiteral("1"));
      break;
    case kLoopNone:
      c.loop_times->SetChecked(false);
      c.loop_held->SetChecked(false);
      c.loop_box->setText(QStringLiteral("1"));
      break;
    default:
      break;
  }
  switch (macro_.DelayType) {
    case kDelayMeasured:
      c.delay_measured->SetChecked(true);
      c.delay_fixed->SetChecked(false);
      break;
    case kDelayFixed:
      c.delay_measured->SetChecked(false);
      c.delay_fixed->SetChecked(true);
      break;
    case kDelayNone:
      c.delay_measured->SetChecked(false);
      c.delay_fixed->SetChecked(false);
      break;
    default:
      break;
  }
  RefreshTotals();
}

void CMacroDlg::CloseMenu() {
  if (menu_ == nullptr) return;
  menu_->hide();
  menu_->deleteLater();
  menu_ = nullptr;
}

void CMacroDlg::CommitNumberBox() {
  // Applied at once rather than posted: the command that follows may move
  // the rows, and the value belongs to the row it was typed on.
  if (std::optional<EditedValue> edited = controls_.events->CommitNumberBox(false)) {
    ApplyEditedDelay(edited->value, edited->row);
  }
}

std::int64_t CMacroDlg::OnWindowMessage(std::uint32_t message, std::int64_t wparam,
                                        std::int64_t lparam) {
  switch (message) {
    case WM_HOOK_KEY:
      return OnHookKey(wparam, lparam);
    case WM_LIST_CLICK:
      CommitNumberBox();
      LoadSelected();
      return 0;
    case WM_LIST_CONTEXT:
      // A right click moves the name list's selection: the macro shown must
      // be the one selected, or the next save would write it under the
      // other name.
      if (controls_.names->GetCount() > 0 && SelectedName().toStdString() != macro_.name) {
        CommitNumberBox();
        LoadSelected();
      }
      return 0;
    case WM_LIST_VALUE_EDITED:
      ApplyEditedDelay(wparam, lparam);
      return 0;
    case WM_EDIT_KEYUP:
      return OnEditKeyUp();
    default:
      return 0;
  }
}

void CMacroDlg::done(int result) {
  // Closing loses nothing: a value still in the number box is kept, and a
  // recording still running is stopped and saved.
  CloseMenu();
  CommitNumberBox();
  if (recorder_.Recording()) StopRecording();
  QDialog::done(result);
}

void CMacroDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(rect(), face_);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::NoBrush);
  // The panels' frames in the skin's deep accent: navy would clash with it.
  p.setPen(QPen(QColor(0x00, 0x5C, 0x4B), 2));
  p.drawRect(QRect(QPoint(27, 78), QPoint(236, 507)));
  p.drawRect(QRect(QPoint(253, 80), QPoint(572, 509)));
  p.drawRect(QRect(QPoint(572, 80), QPoint(727, 509)));
  p.setPen(QPen(QColor(0x73, 0x73, 0x73), 1));
  p.drawLine(246, 88, 246, 503);
}

void CMacroDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QDialog::mousePressEvent(event);
    return;
  }
  CloseMenu();
  // Any free spot of the face drags the window once the pointer moves
  // (SkinDrag).
  event->accept();
}

bool CMacroDlg::eventFilter(QObject* watched, QEvent* event) {
  // While recording, every key is the recording's.
  const bool used = FilterWindowKey(this, watched, event, [&](int) {
    if (!recorder_.Recording()) return false;
    event->accept();
    return true;
  });
  return used || QDialog::eventFilter(watched, event);
}

}  // namespace vantix
