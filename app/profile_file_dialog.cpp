#include "app/profile_file_dialog.h"

#include <QFileDialog>

#include <utility>

namespace vantix {
namespace {

std::optional<QString>& NextName() {
  static std::optional<QString> next;
  return next;
}

}  // namespace

void SetNextProfileFileName(std::optional<QString> name) { NextName() = std::move(name); }

std::optional<QString> AskProfileFile(ProfileFileMode mode, const QString& folder) {
  if (std::optional<QString> next = std::exchange(NextName(), std::nullopt)) {
    if (next->isEmpty()) return std::nullopt;
    return next;
  }
  // No owner window: the chooser is a window of its own, which the user may
  // move and stack apart from the main window.
  QFileDialog dialog(nullptr, QString(), folder, QStringLiteral("pfd(*.pfd)"));
  dialog.setDefaultSuffix(QStringLiteral("pfd"));
  if (mode == ProfileFileMode::kSave) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.first();
}

}  // namespace vantix
