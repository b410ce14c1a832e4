// vantix: the configuration utility of the Corvane II Gaming Mouse.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <iostream>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/vantix_app.h"
#include "settings/ui_language.h"
#include "ui/skin.h"

int main(int argc, char** argv) {
  if (const std::optional<int> status = vantix::HandleCommandLine(argc, argv, std::cout, std::cerr)) {
    return *status;
  }
  // Controls stay inside their window's X window: a native one (a dialog's
  // id for the keyboard hook) must not make all its siblings native too.
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  // Placement, outline and dragging need X11; under Wayland that is Xwayland.
  if (const std::string platform = vantix::ChoosePlatform(argc, argv); !platform.empty()) {
    qputenv("QT_QPA_PLATFORM", platform.c_str());
  }
  vantix::CVantixApp app;
  // A benchmarking aid, read once: the start-up benchmark times the program
  // up to its first painted frame.
  app.SetExitAfterFirstPaint(qEnvironmentVariableIntValue("VANTIX_EXIT_AFTER_FIRST_PAINT") == 1);
  // A second copy ends silently, before any window exists.
  if (!app.InitInstance()) return 0;
  app.StartEarlyWork();
  // A display that is named but cannot be opened ends here with one line.
  std::optional<vantix::DisplayOpenGuard> opening(std::in_place);
  QApplication qt(argc, argv);
  opening.reset();
  // Desktops match the window to its launcher entry and icon by this name,
  // read when the window is created.
  QGuiApplication::setDesktopFileName(QStringLiteral(VANTIX_APP_ID));
  QTranslator qt_texts;
  app.SetAfterFirstPaint([&qt_texts] {
    QApplication::setWindowIcon(vantix::InstalledWindowIcon(QStringLiteral(VANTIX_APP_ID)));
    // The file chooser and other Qt texts speak the language of the skin's
    // strings. Without Qt's translations installed they stay English.
    const QString tag = QString::fromLatin1(vantix::LanguageTag(vantix::ChooseUiLanguage()));
    if (qt_texts.load(QLocale(tag), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QApplication::installTranslator(&qt_texts);
    }
  });
  app.WaitForFonts();
  vantix::ApplySkinToolTipLook();
  const int status = app.Run();
  app.ExitInstance();
  return status;
}
