// What the receiving windows make of client messages: the translation into
// WM_HOOK_KEY and the repeat filter shared by a receiving class.
#include "hook/hook_message.h"

#include <gtest/gtest.h>

#include <vector>

#include "hook/repeat_filter.h"

namespace vantix {
namespace {

constexpr std::uint32_t kAtom = 431;  // the hook's atom on this connection

ClientMessage Hook(std::uint32_t code, std::uint32_t flags) {
  return {kAtom, 32, {WM_HOOK_KEY, code, flags, 0, 0}};
}

TEST(HookMessage, HookReportsBecomeHookKeyMessages) {
  struct Case {
    std::uint32_t code, flags;
  };
  for (const Case& c : {Case{30, 0x00}, Case{30, 0x80}, Case{72, 0x01}, Case{72, 0x81},
                        Case{228, 0x00}, Case{238, 0x81}, Case{1, 0x00}}) {
    SCOPED_TRACE(testing::Message() << c.code << "/" << c.flags);
    const auto m = HookKeyMessage(Hook(c.code, c.flags), kAtom);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->message, WM_HOOK_KEY);
    EXPECT_FALSE(m->sent);
    EXPECT_EQ(m->wparam, c.code);
    EXPECT_EQ(m->lparam, c.flags);
  }
  // The two unused data words do not matter.
  ClientMessage padded = Hook(30, 0);
  padded.data[3] = 0xFFFFFFFF;
  padded.data[4] = 7;
  EXPECT_TRUE(HookKeyMessage(padded, kAtom).has_value());
}

TEST(HookMessage, OtherClientMessagesAreNotKeys) {
  struct Case {
    const char* what;
    ClientMessage message;
    std::uint32_t atom;
  };
  const Case cases[] = {
      {"another type (WM_PROTOCOLS and the like)", {kAtom + 1, 32, {WM_HOOK_KEY, 30, 0}}, kAtom},
      {"atom not interned", {0, 32, {WM_HOOK_KEY, 30, 0}}, 0},
      {"format 8", {kAtom, 8, {WM_HOOK_KEY, 30, 0}}, kAtom},
      {"format 16", {kAtom, 16, {WM_HOOK_KEY, 30, 0}}, kAtom},
      {"another message number", {kAtom, 32, {0x8D3, 30, 0}}, kAtom},
      {"KeyCode 0", Hook(0, 0), kAtom},
      {"unnamed KeyCode", Hook(84, 0), kAtom},
      {"mouse button", Hook(240, 0), kAtom},
      {"KeyCode beyond 8 bits", Hook(256 + 30, 0), kAtom},
      {"KeyCode all ones", Hook(0xFFFFFFFF, 0), kAtom},
      {"unknown flag bit", Hook(30, 0x02), kAtom},
      {"flag beyond the release bit", Hook(30, 0x180), kAtom},
      {"flags all ones", Hook(30, 0xFFFFFFFF), kAtom},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(HookKeyMessage(c.message, c.atom).has_value()) << c.what;
  }
}

// Two receiving classes, as the key dialog and the macro editor are.
struct KeyDialog {};
struct MacroEditor {};

TEST(HookRepeatFilter, HeldKeyCountsOnce) {
  RepeatFilter filter;
  struct Step {
    std::int64_t wparam, lparam;
    bool accepted;
  };
  const Step steps[] = {
      {30, 0x00, true}, {30, 0x00, false}, {30, 0x00, false},  // A held
      {42, 0x00, true},                                        // Shift while A is held
      {30, 0x80, true}, {42, 0x80, true},  {30, 0x00, true},
      {30, 0x80, true},                    // A again: not a repeat
      {72, 0x01, true}, {72, 0x00, true},  // the extended flag tells keys apart
  };
  for (const Step& s : steps) {
    EXPECT_EQ(filter.Accept(s.wparam, s.lparam), s.accepted) << s.wparam << "/" << s.lparam;
  }
}

TEST(HookRepeatFilter, MemoryIsPerReceivingClassAndOutlivesItsWindows) {
  SharedRepeatFilter<KeyDialog>().Accept(30, 0x80);  // the first dialog saw A released
  // A second dialog of the same class shares the memory, for the whole run:
  // the same report as its first is dropped.
  RepeatFilter& second_dialog = SharedRepeatFilter<KeyDialog>();
  EXPECT_FALSE(second_dialog.Accept(30, 0x80));
  EXPECT_TRUE(second_dialog.Accept(30, 0x00));
  // Another class keeps its own.
  EXPECT_TRUE(SharedRepeatFilter<MacroEditor>().Accept(30, 0x00));
  EXPECT_FALSE(SharedRepeatFilter<KeyDialog>().Accept(30, 0x00));
}

TEST(HookRepeatFilter, ReceiverMayRememberOnlyWhatItUses) {
  // The macro recorder ignores reports once its block is full and does not
  // remember them: after room is made, the same report is taken.
  RepeatFilter filter;
  filter.Remember(30, 0x00);
  EXPECT_TRUE(filter.IsRepeat(30, 0x00));
  EXPECT_FALSE(filter.IsRepeat(30, 0x80));  // looked at, refused for a full block
  EXPECT_FALSE(filter.IsRepeat(30, 0x80));  // still not a repeat: it was never remembered
  filter.Remember(30, 0x80);
  EXPECT_TRUE(filter.IsRepeat(30, 0x80));
  // Before any report nothing is a repeat, not even (0, 0).
  EXPECT_FALSE(RepeatFilter().IsRepeat(0, 0));
}

}  // namespace
}  // namespace vantix
