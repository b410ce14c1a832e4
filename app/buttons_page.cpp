#include "app/buttons_page.h"

#include "assign/dialogs/fire_key.h"
#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "macro/macro_files.h"
#include "ui/bitmap_btn.h"
#include "ui/skin.h"

namespace vantix {

void ButtonsPage::RepairMacroAssignments(ProfileRecord& record) const {
  vantix::RepairMacroAssignments(record, MacroFiles(data_folder_, io_).ReadSlots());
}

void ButtonsPage::ShowLabels(const ProfileRecord& record) const {
  const MacroSlots macro_slots = MacroFiles(data_folder_, io_).ReadSlots();
  const auto labels = ButtonLabels(record, skin_.Strings(), macro_slots);
  for (int k = 0; k < kButtonCount; ++k) {
    controls_.assign_buttons[k]->SetCaption(QString::fromStdString(labels[k]), 0, kCaptionCentred);
    controls_.assign_buttons[k]->setToolTip(FireKeyTip(record.Buttons[k]));
  }
}

QString ButtonsPage::FireKeyTip(const ButtonRecord& record) const {
  if (record.ButtonFunc != kFireKeyFunction) return {};
  const FireKeyValues fire = FireKeyPreload(record);
  // The mouse button it fires by its name in the fire-key dialog, a key by
  // its own name.
  const std::string_view key = KeyName(fire.key, skin_.Strings());
  const QString target = fire.fire_mode == CFireKey::kKeyboardMode
                             ? QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))
                             : skin_.UiText("FireKey", 1 + fire.fire_mode);
  return skin_.UiText("STATE", 12).arg(target).arg(fire.first).arg(fire.second);
}

}  // namespace vantix
