// The assignment menu of the main window and the handling of its choice.
#include <QImageReader>

#include <memory>
#include <optional>

#include "app/vantix_dlg.h"
#include "assign/dialogs/fire_key.h"
#include "assign/dialogs/single_key.h"
#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "assign/menu_pick.h"
#include "hook/hook_link.h"
#include "macro/macro_files.h"
#include "settings/ini_file.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/platform_key_hook.h"
#include "ui/top_window.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

constexpr int kMacroItemIndex = FindFunction(kMacroFunction)->menu.item;

// The capturing dialogs' keyboard hook: the one handed in, or the
// platform's (the program folder's library on X11), made for this dialog.
class DialogHook {
 public:
  DialogHook(KeyHook* given, const std::string& program_folder) : given_(given) {
    if (given_ == nullptr) own_.emplace(program_folder);
  }
  KeyHook& Get() { return given_ != nullptr ? *given_ : *own_; }

 private:
  KeyHook* given_;
  std::optional<PlatformKeyHook> own_;
};

// The menu's entry of a button's function: its top-level item, and the
// sub-item where the function sits in a group or is a macro.
void MarkCurrentFunction(CBmpMenu& menu, const ButtonRecord& record, const MacroSlots& macros) {
  const int code = record.ButtonFunc;
  if (code == kMacroFunction) {
    // The editor entry comes first, then each macro of the index in order.
    int row = 1;
    for (std::size_t i = 0; i < macros.size(); ++i) {
      if (macros[i].empty()) continue;
      if (static_cast<int>(i) == record.KeyNumber) {
        menu.MarkCurrent(kMacroItemIndex, row);
        return;
      }
      ++row;
    }
    menu.MarkCurrent(kMacroItemIndex);
    return;
  }
  const FunctionInfo* info = FindFunction(code);
  if (info == nullptr || !info->menu.Shown()) return;
  if (info->menu.row == MenuPlace::kTopLevel) {
    menu.MarkCurrent(info->menu.item);
  } else {
    menu.MarkCurrent(info->menu.item, info->menu.row);
  }
}

}  // namespace

void CVantixDlg::CloseAssignmentMenu() {
  // Deleted at once: the menu only posts its choice, so none of its code is
  // running when the window gets here.
  delete std::exchange(assignment_menu_, nullptr);
}

void CVantixDlg::OpenAssignmentMenu(int button) {
  if (button < 0 || button >= kButtonCount) return;
  const CBitmapBtn* anchor_button = controls_.assign_buttons[static_cast<std::size_t>(button)];
  QPoint anchor = anchor_button->mapToGlobal(QPoint(0, anchor_button->height()));

  CloseAssignmentMenu();
  selected_button_ = button;

  const QString images[4] = {
      skin_.BackgroundPath("menuitem-n.png"), skin_.BackgroundPath("menuitem-d.png"),
      skin_.BackgroundPath("menuitem-d2.png"), skin_.BackgroundPath("menuitem-n2.png")};
  auto* menu = new CBmpMenu(this);
  menu->setObjectName(QStringLiteral("assignmentMenu"));
  menu->SetItemImages(images[0], images[1], images[2], images[3]);
  menu->SetSubImages(images[0], images[1], images[2], images[3]);

  // Below the button, or above it where the screen ends first (never over
  // it); two item widths to the left at the right edge; and whole on the
  // window's own screen whatever happens.
  const QSize item = QImageReader(images[0]).size().expandedTo(QSize(0, 0));
  const QSize menu_size(item.width() + 20, kMenuItemCount * item.height());
  const QRect area = ScreenArea(this);
  if (!area.isEmpty()) {
    if (anchor.x() + item.width() > area.right() + 1) anchor.rx() -= 2 * item.width();
    if (anchor.y() + menu_size.height() > area.bottom() + 1) {
      anchor.ry() -= anchor_button->height() + menu_size.height();
    }
    anchor = KeepInside(QRect(anchor, menu_size), area).topLeft();
  }
  menu->SetPosition(anchor);

  const SkinStrings& strings = skin_.Strings();
  // The items first, then the groups' entries: each in code order.
  for (const FunctionInfo& info : kFunctionTable) {
    if (!info.menu.Shown() || info.menu.row != MenuPlace::kTopLevel) continue;
    menu->AddItem(QString::fromStdString(FunctionLabel(info.code, strings)), info.code);
  }
  for (const FunctionInfo& info : kFunctionTable) {
    if (!info.menu.Shown() || info.menu.row == MenuPlace::kTopLevel) continue;
    menu->AddSubItem(info.menu.item, QString::fromStdString(FunctionLabel(info.code, strings)),
                     info.code);
  }
  menu->AddSubItem(kMacroItemIndex, QString::fromStdString(strings.GeneralText("MACRO", 1)),
                   kMacroFunction);
  // Each macro's value is its key in the index, the number the assignment
  // and the button label look the name up by, gaps or not.
  const MacroSlots slots_in_index = MacroFiles(folders_.DataFolder, io_).ReadSlots();
  for (std::size_t i = 0; i < slots_in_index.size(); ++i) {
    if (slots_in_index[i].empty()) continue;
    menu->AddSubItem(kMacroItemIndex, QString::fromStdString(slots_in_index[i]),
                     static_cast<std::int32_t>(i));
  }

  MarkCurrentFunction(*menu, Current().Buttons[static_cast<std::size_t>(button)], slots_in_index);
  connect(menu, &CBmpMenu::picked, this, &CVantixDlg::OnMenuPick);
  connect(menu, &CBmpMenu::cancelled, this, &CVantixDlg::CloseAssignmentMenu);
  assignment_menu_ = menu;
  menu->Create();
}

void CVantixDlg::OnMenuPick(const MenuChoice& choice) {
  if (page_ != 1) return;
  CloseAssignmentMenu();
  const int b = std::exchange(selected_button_, -1);
  if (b < 0 || b >= kButtonCount) return;

  MenuPick pick{choice.value, choice.sub_value, choice.sub};
  if (pick.item == kMacroFunction && pick.sub_index != kMacroEditorEntry) {
    pick.macro_loop = MacroLoop(pick.sub_value);
  }
  const PickOutcome outcome = PickFunction(Current(), b, pick);
  if (outcome.dialog == PickDialog::kPrimaryClickWarning) {
    CWarningDlg warning(this, skin_, skin_.UiText("WARNING", 1), skin_.UiText("WARNING", 2),
                        QString());
    warning.DoModal();
    return;
  }
  if (!CanLeave(Current(), b)) return;  // the primary click again: no change

  // The dialogs run modally; the record is looked up again after they close.
  const auto record = [this, b]() -> ButtonRecord& {
    return Current().Buttons[static_cast<std::size_t>(b)];
  };
  const auto captured = [](const CSingleKey& dialog) {
    CapturedKeys keys{dialog.KeyCount(), std::nullopt, dialog.EventBlock()};
    if (dialog.Key() != kNoKey) keys.key = dialog.Key();
    return keys;
  };
  switch (outcome.dialog) {
    case PickDialog::kFireKey: {
      DialogHook hook(key_hook_, folders_.ProgramFolder);
      const QString text = skin_.UiText("SINGLEKEY", 7);
      CFireKey dialog(this, skin_, hook.Get(), text, text, 1);
      dialog.SetValues(FireKeyPreload(record()));
      if (dialog.DoModal() == IDOK) StoreFireKey(dialog.Values(), b, record());
      break;
    }
    case PickDialog::kSingleKey: {
      DialogHook hook(key_hook_, folders_.ProgramFolder);
      CSingleKey dialog(this, skin_, hook.Get(), skin_.UiText("SINGLEKEY", 1),
                        skin_.UiText("SINGLEKEY", 2), CSingleKey::kSingleMode);
      dialog.SetEventBlock(record().KeyEvents);
      dialog.SetKey(record().KeyEvents[0]);
      if (dialog.DoModal() == IDOK) record() = AfterSingleKey(record(), b, captured(dialog));
      break;
    }
    case PickDialog::kKeyCombination: {
      DialogHook hook(key_hook_, folders_.ProgramFolder);
      CSingleKey dialog(this, skin_, hook.Get(), skin_.UiText("SINGLEKEY", 3),
                        skin_.UiText("SINGLEKEY", 4), CSingleKey::kCombinationMode);
      dialog.SetEventBlock(record().KeyEvents);
      dialog.SetKey(record().KeyEvents[0]);
      dialog.SetKeyCount(record().KeyNumber / 2);
      if (dialog.DoModal() == IDOK) record() = AfterKeyCombination(record(), b, captured(dialog));
      break;
    }
    case PickDialog::kMacroEditor:
      RunMacroEditor();
      break;
    case PickDialog::kNone:
    case PickDialog::kPrimaryClickWarning:
      record() = outcome.record;
      break;
  }
  RepairMacroAssignments();
  LabelRefresh();
}

std::int32_t CVantixDlg::MacroLoop(int key) const {
  // A missing macro file, or one without a repeat count, runs once.
  const MacroFiles files(folders_.DataFolder, io_);
  const MacroSlots in_index = files.ReadSlots();
  if (key < 0 || static_cast<std::size_t>(key) >= in_index.size()) return 1;
  const std::optional<std::string> path = files.MacroFilePath(in_index[static_cast<std::size_t>(key)]);
  return path ? IniFile(*path, io_).ReadInt(1, kMacroSettingSection, "LoopTime") : 1;
}

}  // namespace vantix
