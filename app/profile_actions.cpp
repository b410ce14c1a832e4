// Export, import and the two resets of the bottom row. Import and the resets
// change the live block and end in Apply; export changes nothing.
#include <tuple>

#include <QFileInfo>

#include "app/profile_file_dialog.h"
#include "app/vantix_dlg.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

bool Confirm(QWidget* parent, const Skin& skin, int message, int detail) {
  CWarningDlg dlg(parent, skin, skin.UiText("WARNING", 1), skin.UiText("WARNING", message),
                  skin.UiText("WARNING", detail));
  return dlg.DoModal() == IDOK;
}

// Tells the user that a file was not used: silence would look like success.
void Warn(QWidget* parent, const Skin& skin, const QString& path, const std::string& reason) {
  CWarningDlg dlg(parent, skin, skin.UiText("WARNING", 1), path, QString::fromStdString(reason));
  dlg.DoModal();
}

}  // namespace

void CVantixDlg::ExportCurrentProfile() {
  const std::optional<QString> path =
      AskProfileFile(ProfileFileMode::kSave, QString::fromStdString(folders_.DataFolder));
  if (!path) return;
  const Status saved = ExportProfile(path->toStdString(), Current(), io_);
  if (!saved.ok()) {
    Warn(this, skin_, *path, saved.reason());
    return;
  }
  ShowResult(10, *path);
}

void CVantixDlg::ShowResult(int text, const QString& path) {
  CStaticTrans* line = controls_.result_line;
  line->setText(skin_.UiText("STATE", text)
                    .arg(live_.CurrentProfile + 1)
                    .arg(QFileInfo(path).fileName()));
  line->show();
  line->RefreshBehind();
}

void CVantixDlg::ImportIntoCurrentProfile() {
  const std::optional<QString> path =
      AskProfileFile(ProfileFileMode::kOpen, QString::fromStdString(folders_.DataFolder));
  if (!path) return;
  ProfileRecord imported = Current();
  // A file that holds no profile (empty, another program's, binary, too
  // large) is refused with the reason and changes nothing.
  const Status read = ImportProfile(path->toStdString(), imported, io_);
  if (!read.ok()) {
    Warn(this, skin_, *path, read.reason());
    return;
  }
  // Repaired as every load repairs what it reads, before anything shows,
  // saves or applies it: keys the file lacks come back as their defaults.
  SettingsBlock loaded = live_;
  loaded.Profiles[static_cast<std::size_t>(live_.CurrentProfile)] = imported;
  SettingsBlock repaired;
  std::ignore = ValidateSettings(loaded, repaired);
  Current() = CurrentRecord(repaired);
  ApplySettings();
  RefreshControls();
  RepairMacroAssignments();
  LabelRefresh();
  ShowResult(11, *path);
}

void CVantixDlg::ResetCurrentProfile() {
  if (!Confirm(this, skin_, 4, 5)) return;
  ResetProfile(live_, live_.CurrentProfile);
  RefreshControls();
  LabelRefresh();
  ApplySettings();
}

void CVantixDlg::ResetAll() {
  if (!Confirm(this, skin_, 7, 8)) return;
  for (int i = 0; i < kProfileCount; ++i) ResetProfile(live_, i);
  live_.CurrentProfile = 0;
  RefreshControls();
  LabelRefresh();
  ApplySettings();
}

}  // namespace vantix
