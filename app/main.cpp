// vantix: the configuration utility of the Corvane II Gaming Mouse.
#include <QApplication>
#include <QIcon>

#include "app/vantix_app.h"

int main(int argc, char** argv) {
  // Placement, outline and dragging need X11; under Wayland that is XWayland.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
  vantix::CVantixApp app;
  // A benchmarking aid, read once: the start-up benchmark times the program
  // up to its first painted frame.
  app.SetExitAfterFirstPaint(qEnvironmentVariableIntValue("VANTIX_EXIT_AFTER_FIRST_PAINT") == 1);
  // A second copy ends silently, before any window exists.
  if (!app.InitInstance()) return 0;
  QApplication qt(argc, argv);
  // Desktops match the window to its launcher entry and icon by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral(VANTIX_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(VANTIX_APP_ID)));
  const int status = app.Run();
  app.ExitInstance();
  return status;
}
