// The widget tests need a QApplication and no screen: Qt's offscreen
// platform draws into memory. One main for every widget test program.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

// The offscreen platform cannot raise windows and says so on every show;
// everything else Qt reports is kept.
QtMessageHandler default_handler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  default_handler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  default_handler = qInstallMessageHandler(QuietHandler);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
