// The buttons page: each button's assignment shown on its button, with the
// fire-key tooltip, and the macro assignments kept in line with the macro
// index. The assignment menu and its dialogs change the record; this page
// shows what the record holds.
#pragma once

#include <QString>

#include <string>

#include "app/main_layout.h"
#include "settings/file_io.h"

namespace vantix {

class Skin;

class ButtonsPage {
 public:
  // The skin, the controls and the file access outlive the page.
  ButtonsPage(const Skin& skin, const MainControls& controls, const std::string& data_folder,
              FileIo& io)
      : skin_(skin), controls_(controls), data_folder_(data_folder), io_(io) {}

  // Brings the record's macro assignments in line with the macro index.
  void RepairMacroAssignments(ProfileRecord& record) const;
  // Shows the record's assignments on the buttons; changes nothing.
  void ShowLabels(const ProfileRecord& record) const;
  // A fire-key button's tooltip: what it fires, how many shots, how often;
  // empty for any other function.
  QString FireKeyTip(const ButtonRecord& record) const;

 private:
  const Skin& skin_;
  const MainControls& controls_;
  const std::string& data_folder_;
  FileIo& io_;
};

}  // namespace vantix
