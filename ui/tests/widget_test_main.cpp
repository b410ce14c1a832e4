// The widget tests need a QApplication and no screen: Qt's offscreen
// platform draws into memory. One main for every widget test program.
#include <QApplication>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

namespace {

// The offscreen platform cannot raise windows and says so on every show;
// everything else Qt reports is kept.
QtMessageHandler default_handler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  default_handler(type, context, message);
}

std::ptrdiff_t ThreadCount() {
  std::error_code error;
  const std::filesystem::directory_iterator tasks("/proc/self/task", error);
  return error ? 1 : std::distance(tasks, std::filesystem::directory_iterator());
}

// The application stops Qt's thread pools as it goes, but a pool thread
// takes its thread data down only as it exits, after the application is
// gone. The sanitizer's leak check at exit must not catch one halfway: it
// would report that thread data as leaked.
void WaitForOtherThreadsToEnd() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (ThreadCount() > 1 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  default_handler = qInstallMessageHandler(QuietHandler);
  ::testing::InitGoogleTest(&argc, argv);
  int status = 0;
  {
    QApplication app(argc, argv);
    status = RUN_ALL_TESTS();
  }
  WaitForOtherThreadsToEnd();
  return status;
}
