#include "app/desktop_double_click.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <tuple>

namespace vantix {
namespace {

// A desktop's settings tool answers at once; one that hangs (no session
// bus) must not hold Apply.
constexpr int kToolLimitMs = 3000;

}  // namespace

Status RunDesktopTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForStarted(kToolLimitMs)) {
    return Status::Error(program.toStdString() + " could not be started");
  }
  if (!process.waitForFinished(kToolLimitMs)) {
    process.kill();
    process.waitForFinished(kToolLimitMs);
    return Status::Error(program.toStdString() + " did not answer");
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return Status::Error(program.toStdString() + " failed: " + said.toStdString());
  }
  return Status::Ok();
}

namespace {

bool HasGnomeSchema() {
  if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty()) return false;
  QStringList dirs =
      QString::fromLocal8Bit(qgetenv("XDG_DATA_DIRS")).split(u':', Qt::SkipEmptyParts);
  if (dirs.isEmpty()) dirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
  if (const QByteArray own = qgetenv("GSETTINGS_SCHEMA_DIR"); !own.isEmpty()) {
    if (QFileInfo::exists(QString::fromLocal8Bit(own) +
                          QStringLiteral("/org.gnome.desktop.peripherals.gschema.xml"))) {
      return true;
    }
  }
  for (const QString& dir : dirs) {
    if (QFileInfo::exists(dir + QStringLiteral("/glib-2.0/schemas/"
                                               "org.gnome.desktop.peripherals.gschema.xml"))) {
      return true;
    }
  }
  return false;
}

QString KdeConfigFile() {
  QString home = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
  if (home.isEmpty()) home = QDir::homePath() + QStringLiteral("/.config");
  return home + QStringLiteral("/kcminputrc");
}

Status SetKde(int ms) {
  const QString path = KdeConfigFile();
  QFile in(path);
  QByteArray text;
  if (in.exists()) {
    if (!in.open(QIODevice::ReadOnly)) return Status::Error(path.toStdString() + " cannot be read");
    text = in.readAll();
  }
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile out(path);
  const std::string changed = WithKdeDoubleClick(text.toStdString(), ms);
  if (!out.open(QIODevice::WriteOnly) ||
      out.write(changed.data(), static_cast<qint64>(changed.size())) < 0 || !out.commit()) {
    return Status::Error(path.toStdString() + " cannot be written");
  }
  // KGlobalSettings::notifyChange(SettingsChanged, SETTINGS_MOUSE): running
  // KDE programs read the mouse settings again. Without a session bus the
  // file still holds for every program started later.
  std::ignore = RunDesktopTool(
      QStringLiteral("dbus-send"),
      {QStringLiteral("--session"), QStringLiteral("--type=signal"),
       QStringLiteral("/KGlobalSettings"), QStringLiteral("org.kde.KGlobalSettings.notifyChange"),
       QStringLiteral("int32:3"), QStringLiteral("int32:0")});
  return Status::Ok();
}

}  // namespace

DoubleClickDesktop FindSessionDoubleClickDesktop() {
  DesktopTools tools;
  tools.gnome_schema = HasGnomeSchema();
  tools.xfconf = !QStandardPaths::findExecutable(QStringLiteral("xfconf-query")).isEmpty();
  return FindDoubleClickDesktop(qgetenv("XDG_CURRENT_DESKTOP").toStdString(), tools);
}

Status SetDesktopDoubleClick(DoubleClickDesktop desktop, int speed) {
  const QString ms = QString::number(DoubleClickMilliseconds(speed));
  switch (desktop) {
    case DoubleClickDesktop::kGnome:
      return RunDesktopTool(QStringLiteral("gsettings"),
                 {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.peripherals.mouse"),
                  QStringLiteral("double-click"), ms});
    case DoubleClickDesktop::kKde:
      return SetKde(ms.toInt());
    case DoubleClickDesktop::kXfce: {
      const QStringList property = {QStringLiteral("-c"), QStringLiteral("xsettings"),
                                    QStringLiteral("-p"), QStringLiteral("/Net/DoubleClickTime")};
      // The property exists once anything set it; made as an int otherwise.
      if (RunDesktopTool(QStringLiteral("xfconf-query"), property + QStringList{QStringLiteral("-s"), ms})
              .ok()) {
        return Status::Ok();
      }
      return RunDesktopTool(QStringLiteral("xfconf-query"),
                 property + QStringList{QStringLiteral("-n"), QStringLiteral("-t"),
                                        QStringLiteral("int"), QStringLiteral("-s"), ms});
    }
    case DoubleClickDesktop::kNone:
      break;
  }
  return Status::Ok();
}

}  // namespace vantix

// The window's side.
#include <cstdio>

#include "app/vantix_dlg.h"
#include "ui/static_trans.h"

namespace vantix {

void CVantixDlg::ApplyDoubleClick() {
  if (double_click_desktop_ == DoubleClickDesktop::kNone) return;
  const Status set = SetDesktopDoubleClick(double_click_desktop_, Current().DoubleClickSpeed);
  // The profiles are saved all the same; the desktop keeps its own time.
  if (!set.ok()) std::fprintf(stderr, "vantix: double-click speed: %s\n", set.reason().c_str());
}

void CVantixDlg::ShowDoubleClickNote() {
  controls_.double_click_note->setVisible(page_ == 1 &&
                                          double_click_desktop_ == DoubleClickDesktop::kNone);
}

}  // namespace vantix
