// The double-click speed through the desktop's own setting (the rules are
// app/rules/desktop_rules): GNOME's gsettings key, KDE's kcminputrc with its
// reload signal, Xfce's xsettings channel.
#pragma once

#include <QString>
#include <QStringList>

#include <string>

#include "app/rules/desktop_rules.h"
#include "settings/status.h"

namespace vantix {

// The desktop setting of this session, found from the environment and the
// files on the machine, without running anything (it is asked at start).
DoubleClickDesktop FindSessionDoubleClickDesktop();

// Runs a desktop's settings tool, waiting 3 s at most for it to start and
// as long for it to end; its error output is the reason it failed.
Status RunDesktopTool(const QString& program, const QStringList& arguments);

// Sets the desktop's double-click time to the slider's speed (1..10).
Status SetDesktopDoubleClick(DoubleClickDesktop desktop, int speed);

}  // namespace vantix
