// The editor's commands: the option boxes, the editing buttons, the
// insert-click menu, new and delete macro, and recording.
#include <sys/stat.h>

#include <algorithm>

#include "assign/dialogs/single_key_dlg.h"
#include "assign/function_catalogue.h"
#include "devicelink/device_link.h"
#include "macro/editor/list_box_ex.h"
#include "macro/editor/macro_dlg.h"
#include "macro/event_rows.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/skin.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

constexpr int kLoopTimeMax = 255;

// Events the insert-click menu offers, by item value: the function label and
// the button code.
struct ClickChoice {
  int function;
  std::uint8_t button;
};
constexpr std::array<ClickChoice, 3> kClickChoices = {{
    {1, kMacroLeftButton},
    {2, kMacroRightButton},
    {3, kMacroMiddleButton},
}};

// Only the box's own state: the command that unchecks it does the rest.
void Uncheck(CBitmapBtn* box) { box->SetChecked(false); }

}  // namespace

void CMacroDlg::OnCommand(QObject* control) {
  CloseMenu();
  CommitNumberBox();
  MacroControls& c = controls_;
  if (control == c.delay_measured) {
    OnDelayBox(c.delay_measured, kDelayMeasured);
  } else if (control == c.delay_fixed) {
    OnDelayBox(c.delay_fixed, kDelayFixed);
  } else if (control == c.loop_times || control == c.loop_held) {
    OnLoopBox(static_cast<CBitmapBtn*>(control));
  } else if (control == c.record) {
    if (RequireMacro()) StartRecording(false);
  } else if (control == c.insert_record()) {
    if (RequireMacro()) StartRecording(true);
  } else if (control == c.stop) {
    StopRecording();
  } else if (control == c.delete_event()) {
    if (RequireMacro()) DeleteEvent();
  } else if (control == c.up()) {
    if (RequireMacro()) MoveEvent(-1);
  } else if (control == c.down()) {
    if (RequireMacro()) MoveEvent(1);
  } else if (control == c.copy()) {
    if (RequireMacro()) CopyEvent(false);
  } else if (control == c.cut()) {
    if (RequireMacro()) CopyEvent(true);
  } else if (control == c.paste()) {
    if (RequireMacro()) PasteEvent();
  } else if (control == c.insert_click()) {
    if (RequireMacro()) OpenInsertClickMenu();
  } else if (control == c.new_macro) {
    NewMacro();
    RefreshEnabled();
  } else if (control == c.delete_macro) {
    DeleteSelectedMacro();
    RefreshEnabled();
  } else if (control == c.ok) {
    done(kResultOk);
  } else if (control == c.close) {
    done(kResultClose);
  }
}

void CMacroDlg::OnDelayBox(CBitmapBtn* box, std::int32_t delay_type) {
  CBitmapBtn* other = box == controls_.delay_measured ? controls_.delay_fixed
                                                      : controls_.delay_measured;
  if (box->Checked()) {
    macro_.DelayType = delay_type;
    Uncheck(other);
  } else {
    macro_.DelayType = kDelayNone;
  }
  if (controls_.names->GetCount() > 0) SaveSelected();
}

void CMacroDlg::OnLoopBox(CBitmapBtn* box) {
  if (box == controls_.loop_times && !box->Checked()) {
    controls_.loop_box->setText(QStringLiteral("1"));
  } else if (box->Checked()) {
    Uncheck(box == controls_.loop_times ? controls_.loop_held : controls_.loop_times);
  }
  if (controls_.names->GetCount() > 0 && SaveSelected()) {
    AnnounceMacroLoop(agent_, settings_, macro_.name);
  }
}

void CMacroDlg::DeleteEvent() {
  CListBoxEx* list = controls_.events;
  const int s = list->GetCurSel();
  if (s >= 0 && s < list->GetCount() && EraseEvent(macro_, s)) {
    list->DeleteString(s);
    list->SetCurSel(s < list->GetCount() ? s : s - 1);
  }
  if (SaveSelected()) AnnounceSaved();
  RefreshTotals();
}

void CMacroDlg::MoveEvent(int by) {
  CListBoxEx* list = controls_.events;
  const int s = list->GetCurSel();
  const int to = s + by;
  if (s >= 0 && to >= 0 && to < list->GetCount() && SwapEvents(macro_, s, to)) {
    const QString text = list->GetText(s);
    const std::int64_t data = list->GetItemData(s);
    list->SetRow(s, list->GetText(to), list->GetItemData(to));
    list->SetRow(to, text, data);
    list->SetCurSel(to);
  }
  if (SaveSelected()) AnnounceSaved();
}

void CMacroDlg::CopyEvent(bool cut) {
  CListBoxEx* list = controls_.events;
  const int s = list->GetCurSel();
  if (s >= 0 && s < macro_.count) {
    clipboard_ = macro_.events[static_cast<std::size_t>(s)];
    if (cut) {
      EraseEvent(macro_, s);
      list->DeleteString(s);
    }
  }
  if (!cut) return;
  if (SaveSelected()) AnnounceSaved();
  RefreshTotals();
}

void CMacroDlg::PasteEvent() {
  if (!clipboard_ || macro_.count >= kMacroEventCapacity) return;
  const int s = controls_.events->GetCurSel();
  if (!InsertEvent(macro_, s + 1, *clipboard_)) return;
  InsertRow(s + 1, *clipboard_);
  if (SaveSelected()) AnnounceSaved();
  RefreshTotals();
}

void CMacroDlg::OpenInsertClickMenu() {
  CloseMenu();
  CBitmapBtn* anchor = controls_.insert_click();
  const QPoint at = anchor->mapToGlobal(QPoint(0, anchor->height()));
  menu_ = new CBmpMenu(this);
  menu_->setObjectName(QStringLiteral("insertClickMenu"));
  const QString n = skin_.BackgroundPath("menuitem-n.png");
  const QString d = skin_.BackgroundPath("menuitem-d.png");
  menu_->SetItemImages(n, d, d, n);
  menu_->SetSubImages(n, d, d, n);
  menu_->SetPosition(at);
  for (const ClickChoice& choice : kClickChoices) {
    menu_->AddItem(QString::fromStdString(FunctionLabel(choice.function, skin_.Strings())), choice.function);
  }
  connect(menu_, &CBmpMenu::picked, this, &CMacroDlg::OnMenuPick);
  connect(menu_, &CBmpMenu::cancelled, this, &CMacroDlg::CloseMenu);
  menu_->Create();
}

void CMacroDlg::OnMenuPick(const MenuChoice& picked) {
  CloseMenu();
  const std::int32_t value = picked.value;
  const auto choice = std::find_if(kClickChoices.begin(), kClickChoices.end(),
                                   [&](const ClickChoice& c) { return c.function == value; });
  if (choice == kClickChoices.end() || !HasSelectedMacro()) return;
  if (macro_.count >= kRecordingRoom) return;
  const int s = controls_.events->GetCurSel();
  const MacroEvent press = MacroEvent::MouseButton(choice->button, true);
  const MacroEvent release = MacroEvent::MouseButton(choice->button, false);
  InsertEvent(macro_, s + 1, press);
  InsertEvent(macro_, s + 2, release);
  InsertRow(s + 1, press);
  InsertRow(s + 2, release);
  controls_.events->SetCurSel(s + 2);
  if (SaveSelected()) AnnounceSaved();
  RefreshTotals();
}

void CMacroDlg::NewMacro() {
  hook_->EnableHook(false);
  if (files_.CountMacros() >= kMacroSlotCount) {
    Warn(kWarnListFull);
    return;
  }
  recorder_.ForgetLastTick();
  CSingleKeyDlg entry(this, skin_, skin_.UiText("SINGLEKEY", 5), skin_.UiText("SINGLEKEY", 6));
  if (entry.DoModal() != IDOK || entry.Text().isEmpty()) return;
  const std::string name = entry.Text().toStdString();

  // The agent makes the macro folder when it first runs; a macro made
  // before that must not be lost.
  ::mkdir(files_.Folder().c_str(), 0777);
  MacroData created;
  const MacroOutcome outcome = files_.CreateMacro(name, created);
  switch (outcome.result) {
    case MacroResult::kOk:
      break;
    case MacroResult::kExists:
    case MacroResult::kNotFound:  // only deleting says this
      return;
    case MacroResult::kFull:
      Warn(kWarnListFull);
      return;
    case MacroResult::kInvalidName:
      Warn(kWarnBadName, entry.Text());
      return;
    case MacroResult::kWriteFailed:
      WarnWriteFailed(outcome);
      return;
  }

  MacroControls& c = controls_;
  c.events->ResetContent();
  for (CBitmapBtn* b : {c.delay_measured, c.delay_fixed, c.loop_times, c.loop_held}) Uncheck(b);
  c.loop_box->setText(QStringLiteral("1"));
  macro_ = std::move(created);
  last_save_failed_ = false;
  FillNameList(files_.ReadMacroList());
  for (int row = 0; row < c.names->GetCount(); ++row) {
    if (c.names->GetText(row).toStdString() == macro_.name) c.names->SetCurSel(row);
  }
  RefreshTotals();
}

void CMacroDlg::DeleteSelectedMacro() {
  CListBoxEx* names = controls_.names;
  if (names->GetCount() == 0) return;
  if (Warn(kWarnDeleteMacro) != IDOK) return;
  const int s = std::max(names->GetCurSel(), 0);
  const std::string name = names->GetText(s).toStdString();
  const MacroOutcome outcome = files_.DeleteMacro(name);
  // Gone already (another program deleted it) is what was asked for.
  if (!outcome.ok() && outcome.result != MacroResult::kNotFound) {
    WarnWriteFailed(outcome);
    return;
  }
  names->DeleteString(s);

  macro_ = MacroData{};
  controls_.events->ResetContent();
  recorder_.Stop();
  if (names->GetCount() > 0) {
    names->SetCurSel(std::min(s, names->GetCount() - 1));
    LoadSelected();
  } else {
    RefreshTotals();
  }
}

void CMacroDlg::StartRecording(bool insert) {
  if (controls_.names->GetCount() == 0) {
    Warn(kWarnNoMacro);
    return;
  }
  // Better said than a recording that stays empty.
  if (!hook_->CanCapture()) {
    Warn(kWarnNoCapture);
    return;
  }
  hook_->InstallHook(NativeWindowId(this));
  SetRecordingControls(true);
  recorder_.Start(macro_, insert);
  hook_->EnableHook(true);
  if (!insert) {
    controls_.events->ResetContent();
    controls_.events->viewport()->repaint();
  }
}

void CMacroDlg::StopRecording() {
  SetRecordingControls(false);
  RefreshEnabled();
  recorder_.Stop();
  hook_->EnableHook(false);
  if (controls_.names->GetCurSel() == -1) return;
  if (HasSelectedMacro()) {
    if (!CheckPressRelease(macro_)) Warn(kWarnUnreleased);
    if (SaveSelected()) AnnounceSaved();
  }
  RefreshTotals();
}

std::int64_t CMacroDlg::OnHookKey(std::int64_t wparam, std::int64_t lparam) {
  CListBoxEx* list = controls_.events;
  const std::vector<MacroRecorder::Step> steps =
      recorder_.OnHookKey(macro_, wparam, lparam, list->GetCurSel(),
                          controls_.delay_box->text().toStdString());
  if (steps.empty()) return 0;
  for (const MacroRecorder::Step& step : steps) InsertRow(step.row, step.event, step.key_code);
  list->SetCurSel(recorder_.InsertMode() ? steps.back().row : list->GetCount() - 1);
  // The counters follow the recording as it goes, not only at its end.
  RefreshTotals();
  return 1;
}

void CMacroDlg::ApplyEditedDelay(std::int64_t value, std::int64_t row) {
  if (row < 0 || row >= macro_.count) return;
  MacroEvent& event = macro_.events[static_cast<std::size_t>(row)];
  // The row may have moved under a posted value: only a delay takes it.
  if (!event.IsDelay()) return;
  const std::uint16_t units = EditedDelayUnits(value);
  event = MacroEvent{event.type, static_cast<std::uint8_t>(units & 0xFF),
                     static_cast<std::uint8_t>(units >> 8)};
  // The row shows what is stored, in whole units of 10 ms.
  controls_.events->SetRow(static_cast<int>(row), QString::fromStdString(DelayRowText(event.DelayMs())), 0);
  if (SaveSelected()) AnnounceSaved();
  RefreshTotals();
}

std::int64_t CMacroDlg::OnEditKeyUp() {
  if (controls_.names->GetCurSel() == -1) return 0;
  if (LeadingDecimal(controls_.loop_box->text().toStdString()) > kLoopTimeMax) {
    controls_.loop_box->setText(QString::number(kLoopTimeMax));
  }
  if (SaveSelected()) {
    AnnounceSaved();
    AnnounceMacroLoop(agent_, settings_, macro_.name);
  }
  return 0;
}

}  // namespace vantix
