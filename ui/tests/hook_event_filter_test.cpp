// A real Qt window on its own Xvfb receives keys typed on the X server as
// WM_HOOK_KEY, through the real KBHook.so and the native event filter.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "hook/hook_link.h"
#include "hook/hook_protocol.h"
#include "tests/hook/x_display.h"
#include "ui/hook_event_filter.h"
#include "ui/window_message.h"

namespace vantix {
namespace {

struct Key {
  std::int64_t code;
  std::int64_t flags;
  bool operator==(const Key&) const = default;
};

void PrintTo(const Key& k, std::ostream* os) { *os << "{" << k.code << ", 0x" << std::hex << k.flags << "}"; }

class Receiver final : public MessageWindow<QWidget> {
 public:
  std::vector<Key> keys;
  std::int64_t OnWindowMessage(std::uint32_t message, std::int64_t w, std::int64_t l) override {
    if (message == WM_HOOK_KEY) keys.push_back({w, l});
    return 0;
  }
};

// Pumps Qt's events until the receiver holds count keys or five seconds pass.
void WaitFor(const Receiver& receiver, std::size_t count) {
  QElapsedTimer timer;
  timer.start();
  while (receiver.keys.size() < count && timer.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

// evdev codes
constexpr std::uint32_t kEvA = 30, kEvB = 48, kEvRightCtrl = 97, kEvUp = 103;

TEST(HookEventFilterTest, TypedKeysArriveAsHookMessagesOnlyWhileEnabled) {
  Receiver window;
  window.resize(120, 80);
  window.show();
  QCoreApplication::processEvents();
  HookEventFilter::Install();

  HookLink link;
  LoadHookLink(link, VANTIX_PROGRAM_DIR "/");
  ASSERT_TRUE(link.Loaded());
  link.InstallHook(static_cast<std::uint32_t>(window.winId()));
  link.EnableHook(true);

  test::XClient typist(qgetenv("DISPLAY").toStdString());
  ASSERT_TRUE(typist.ok());
  typist.Tap(kEvA);
  typist.Tap(kEvRightCtrl);
  typist.Tap(kEvUp);
  typist.Sync();
  WaitFor(window, 6);
  EXPECT_EQ(window.keys, (std::vector<Key>{{30, 0}, {30, 0x80}, {238, 1}, {238, 0x81}, {72, 1}, {72, 0x81}}));

  // Keys typed while delivery is off never arrive, not even later.
  link.EnableHook(false);
  typist.Tap(kEvA);
  typist.Sync();
  link.EnableHook(true);
  typist.Tap(kEvB);
  typist.Sync();
  WaitFor(window, 8);
  ASSERT_EQ(window.keys.size(), 8u);
  EXPECT_EQ(window.keys[6], (Key{48, 0}));

  link.EnableHook(false);
  link.RemoveHook();
}

}  // namespace
}  // namespace vantix

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // An X server of our own, so that the test needs no screen and types into
  // nobody else's session.
  vantix::test::Xvfb xvfb;
  if (!xvfb.error().empty()) {
    std::fprintf(stderr, "cannot start Xvfb: %s\n", xvfb.error().c_str());
    return 1;
  }
  ::setenv("DISPLAY", xvfb.display().c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
