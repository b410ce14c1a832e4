// Profile files changed outside the window (vantixctl import, another
// writer). Where the window holds no edits of that profile it shows the new
// values at once; otherwise Apply asks before it overwrites them, so that no
// change is undone without the user knowing.
#include <QFileInfo>
#include <QFileSystemWatcher>

#include "app/vantix_dlg.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// Writers replace a file by renaming a new one over it, and vantixctl may
// replace several in a row: one look once the folder is quiet.
constexpr int kFilesSettleMs = 100;

}  // namespace

void CVantixDlg::WatchDataFolder() {
  if (files_watcher_ == nullptr) {
    files_watcher_ = new QFileSystemWatcher(this);
    files_settle_timer_.setSingleShot(true);
    files_settle_timer_.setInterval(kFilesSettleMs);
    const auto settle = [this] { files_settle_timer_.start(); };
    connect(files_watcher_, &QFileSystemWatcher::directoryChanged, this, settle);
    connect(files_watcher_, &QFileSystemWatcher::fileChanged, this, settle);
    connect(&files_settle_timer_, &QTimer::timeout, this, [this] { OnFilesChanged(); });
  }
  // The folder tells of files replaced or removed; the files themselves of
  // writes in place. A replaced file is a new one, watched afresh.
  QStringList paths{QString::fromStdString(folders_.DataFolder)};
  for (int i = 0; i < kProfileCount; ++i) {
    paths << QString::fromStdString(ProfilePath(folders_.DataFolder, i));
  }
  const QStringList watched = files_watcher_->files() + files_watcher_->directories();
  QStringList missing;
  for (const QString& path : paths) {
    if (!watched.contains(path) && QFileInfo::exists(path)) missing << path;
  }
  if (!missing.isEmpty()) files_watcher_->addPaths(missing);
}

void CVantixDlg::OnFilesChanged() {
  WatchDataFolder();
  // Apply looks for itself, and records its own writes when it is done.
  if (apply_.Applying()) return;
  TakeOutsideChanges(/*at_apply=*/false);
}

void CVantixDlg::TakeOutsideChanges(bool at_apply) {
  bool taken = false;
  std::vector<std::string> damaged;
  const auto adopt = [&](int profile) {
    for (std::string& path : sync_.Adopt(live_, profile)) damaged.push_back(std::move(path));
    taken = true;
  };
  for (const ProfileSync::Change& change : sync_.ChangedOutside()) {
    const int profile = change.profile;
    if (!sync_.HasEdits(live_, profile)) {
      adopt(profile);
    } else if (at_apply) {
      if (AskOverwrite(profile)) {
        sync_.Acknowledge(change);  // as it was when asked
      } else {
        adopt(profile);
      }
    }
    // Otherwise the window keeps its edits, and Apply asks.
  }
  if (taken) {
    RefreshControls();
    RepairMacroAssignments();
    LabelRefresh();
  }
  if (!damaged.empty()) WarnDamaged(damaged);
}

Status CVantixDlg::SaveProfilesMindingOthers() {
  // The user is asked without the folder's lock, so that no other writer
  // waits for an answer; the look is repeated under the lock, where no
  // writer can come between it and the save. A change made while the user
  // was deciding is asked about in its turn.
  for (;;) {
    TakeOutsideChanges(/*at_apply=*/true);
    const FolderLock lock = store_.Lock();
    if (!lock.held()) return lock.status();
    TakeOutsideChanges(/*at_apply=*/false);  // takes in what needs no question
    if (!sync_.ChangedOutside().empty()) continue;
    Status saved = store_.SaveProfiles();
    if (saved.ok()) sync_.MarkInStep(live_);
    return saved;
  }
}

bool CVantixDlg::AskOverwrite(int profile) {
  CWarningDlg dlg(this, skin_, skin_.UiText("WARNING", 1),
                  skin_.UiText("WARNING", 17).arg(profile + 1), skin_.UiText("WARNING", 18));
  return dlg.DoModal() == IDOK;
}

}  // namespace vantix
