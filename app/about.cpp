// The about box: the version, and where the manual and the README are. The
// about button beside minimise and F1 open it.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QFileInfo>

#include "app/vantix_dlg.h"
#include "ui/bitmap_btn.h"
#include "ui/warning_dlg.h"

namespace vantix {
namespace {

// Installed, the README is in the documentation folder of the prefix the
// program folder (PREFIX/lib/vantix/) lies in; a build shows its sources'.
QString ReadmePath(const std::string& program_folder) {
  const QString installed = QDir::cleanPath(QString::fromStdString(program_folder) +
                                            QStringLiteral("../../share/doc/vantix/README.md"));
  if (QFileInfo::exists(installed)) return installed;
  const QString sources = QStringLiteral(VANTIX_SOURCE_DIR "/README.md");
  return QFileInfo::exists(sources) ? sources : installed;
}

}  // namespace

void CVantixDlg::ShowAbout() {
  CWarningDlg about(this, skin_, skin_.UiText("STATE", 13),
                    skin_.UiText("STATE", 14).arg(QStringLiteral(VANTIX_VERSION)),
                    skin_.UiText("STATE", 15).arg(ReadmePath(folders_.ProgramFolder)));
  about.setObjectName(QStringLiteral("aboutDialog"));
  // Nothing is wrong: the program's own icon, not the warning sign.
  about.SetPicture(QApplication::windowIcon().pixmap(128).toImage());
  // Nothing to decide: one button, in the middle.
  about.CancelButton()->hide();
  CBitmapBtn* ok = about.OkButton();
  ok->move((CWarningDlg::kWidth - ok->width()) / 2, ok->y());
  about.DoModal();
}

}  // namespace vantix
