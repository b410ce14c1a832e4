#include "ui/window_message.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/tests/ui_test_support.h"

namespace vantix {
namespace {

using test::MessageLog;
using test::Pump;
using test::Received;

TEST(WindowMessage, PostedArriveLaterInOrderSentAtOnceWithTheResult) {
  MessageLog window;
  window.result = 77;
  PostWindowMessage(&window, 0x1000, 1, -1);
  PostWindowMessage(&window, 0x1001, 2, 0x7FFFFFFFFFFFLL);
  EXPECT_TRUE(window.received.empty()) << "a posted message waits for the event loop";

  EXPECT_EQ(SendWindowMessage(&window, 0x2000, 3, 4), 77);
  ASSERT_EQ(window.received.size(), 1u);

  Pump();
  EXPECT_EQ(window.received, (std::vector<Received>{
                                 {0x2000, 3, 4}, {0x1000, 1, -1}, {0x1001, 2, 0x7FFFFFFFFFFFLL}}));
}

TEST(WindowMessage, TargetsThatCannotReceiveAreHarmless) {
  QObject plain;
  EXPECT_EQ(SendWindowMessage(&plain, 0x1000, 1, 2), 0);
  EXPECT_EQ(SendWindowMessage(nullptr, 0x1000, 1, 2), 0);
  PostWindowMessage(nullptr, 0x1000, 1, 2);
  PostWindowMessage(&plain, 0x1000, 1, 2);

  auto doomed = std::make_unique<MessageLog>();
  PostWindowMessage(doomed.get(), 0x1000, 1, 2);
  doomed.reset();
  Pump();  // the message dies with its window
}

TEST(WindowMessage, HandlesNameLiveWindowsAndAreNeverReused) {
  auto first = std::make_unique<QObject>();
  const WindowHandle h1 = HandleOf(first.get());
  EXPECT_NE(h1, kNoWindow);
  EXPECT_EQ(HandleOf(first.get()), h1);
  EXPECT_EQ(WindowFromHandle(h1), first.get());
  EXPECT_EQ(HandleOf(nullptr), kNoWindow);

  first.reset();
  EXPECT_EQ(WindowFromHandle(h1), nullptr);
  // A new window, perhaps at the same address, is a different window.
  auto second = std::make_unique<QObject>();
  EXPECT_NE(HandleOf(second.get()), h1);
  EXPECT_EQ(WindowFromHandle(h1), nullptr);
}

TEST(WindowMessage, MessagesFromOutsideAreSentOrPostedAsTheyCame) {
  MessageLog window;
  window.result = 5;
  WindowMessage sent{0x4DE, true, 0, 0};
  EXPECT_EQ(DeliverWindowMessage(&window, sent), 5);
  EXPECT_EQ(window.received.size(), 1u);

  WindowMessage posted{0x1515, false, 15, 1};
  EXPECT_EQ(DeliverWindowMessage(&window, posted), 0);
  EXPECT_EQ(window.received.size(), 1u);
  Pump();
  EXPECT_EQ(window.received.back(), (Received{0x1515, 15, 1}));
}

}  // namespace
}  // namespace vantix
