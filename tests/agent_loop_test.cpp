// The agent's loop and the source's key state, without a kernel device: the
// loop hands each row its own ready descriptors and ends instead of spinning;
// the keys after dropped events come out as the difference to the kernel's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "agent/event_source.h"
#include "agent/poll_loop.h"

namespace vantix::agent {
namespace {

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() { EXPECT_EQ(::pipe(fds), 0); }
  ~Pipe() {
    for (int fd : fds) {
      if (fd >= 0) ::close(fd);
    }
  }
  int Read() const { return fds[0]; }
  void Put() const { ASSERT_EQ(::write(fds[1], "x", 1), 1); }
  void Take() const {
    char c = 0;
    ASSERT_EQ(::read(fds[0], &c, 1), 1);
  }
};

TEST(PollLoop, ADescriptorReopenedUnderTheSameNumberIsWaitedForWhenTheGenerationSaysSo) {
  PollLoop loop;
  auto first = std::make_unique<Pipe>();
  const int number = first->Read();
  std::uint64_t generation = 1;
  int calls = 0;
  std::unique_ptr<Pipe> second;
  loop.Add([&](std::vector<pollfd>& fds) { fds.push_back({number, POLLIN, 0}); },
           [&](std::span<const pollfd>) {
             ++calls;
             // The row closes its descriptor and opens another under the
             // same number.
             first.reset();
             second = std::make_unique<Pipe>();
             if (second->fds[0] != number) {
               ASSERT_EQ(::dup2(second->fds[0], number), number);
               ::close(second->fds[0]);
               second->fds[0] = number;
             }
             ++generation;
           },
           [&] { return generation; });
  int rounds = 0;
  loop.AfterEach([&] {
    if (++rounds == 1) second->Put();
    if (rounds == 2) loop.Stop();
  });
  first->Put();
  EXPECT_EQ(loop.Run(), "");
  EXPECT_EQ(calls, 2) << "the reopened descriptor was not waited for";
}

TEST(PollLoop, EachRowGetsItsOwnDescriptorsOnlyWhenOneIsReady) {
  Pipe a, b, c;
  PollLoop loop;
  std::vector<std::string> calls;
  // Row 1 waits on two descriptors, row 2 on one, row 3 on none.
  loop.Add([&](std::vector<pollfd>& fds) {
             fds.push_back({a.Read(), POLLIN, 0});
             fds.push_back({b.Read(), POLLIN, 0});
           },
           [&](std::span<const pollfd> fds) {
             ASSERT_EQ(fds.size(), 2U);
             EXPECT_EQ(fds[0].fd, a.Read());
             EXPECT_EQ(fds[0].revents, 0);
             EXPECT_NE(fds[1].revents & POLLIN, 0);
             calls.push_back("two");
             b.Take();
           });
  loop.Watch(c.Read(), [&](short) { calls.push_back("one"); });
  loop.Add([](std::vector<pollfd>&) {}, [&](std::span<const pollfd>) { calls.push_back("none"); });
  int rounds = 0;
  loop.AfterEach([&] {
    if (++rounds == 1) c.Put();
    if (rounds == 2) loop.Stop();
  });
  b.Put();
  EXPECT_EQ(loop.Run(), "");
  // Row 2's descriptor stays readable: it is reported again in round 2.
  EXPECT_EQ(calls, (std::vector<std::string>{"two", "one"}));
}

TEST(PollLoop, StopEndsAfterTheRoundWithTheReason) {
  Pipe a;
  PollLoop loop;
  int after = 0;
  loop.Watch(a.Read(), [&](short) { loop.Stop("the endpoint failed"); });
  loop.AfterEach([&] { ++after; });
  a.Put();
  EXPECT_EQ(loop.Run(), "the endpoint failed");
  EXPECT_EQ(after, 1);
}

TEST(PollLoop, ADescriptorThatIsNotOpenEndsTheLoopInsteadOfSpinning) {
  PollLoop loop;
  int fd = -1;
  {
    Pipe gone;
    fd = gone.Read();
  }
  int calls = 0;
  loop.Watch(fd, [&](short) { ++calls; });
  EXPECT_EQ(loop.Run(), "descriptor " + std::to_string(fd) + " is not open");
  EXPECT_EQ(calls, 0);
}

SourceKeys::KernelBits Bits(const std::vector<unsigned>& down) {
  SourceKeys::KernelBits bits{};
  for (unsigned code : down) bits[code / SourceKeys::kLongBits] |= 1UL << (code % SourceKeys::kLongBits);
  return bits;
}

std::vector<InputEvent> Events(const std::vector<StampedEvent>& stamped) {
  std::vector<InputEvent> events;
  for (const StampedEvent& e : stamped) events.push_back(e.event);
  return events;
}

struct ResyncCase {
  const char* what;
  std::vector<unsigned> at_open;
  std::vector<InputEvent> seen;  // events read before the drop
  std::vector<unsigned> kernel;
  std::vector<InputEvent> expected;
};

class SourceKeysResync : public ::testing::TestWithParam<ResyncCase> {};

TEST_P(SourceKeysResync, HandsOverTheDifference) {
  const ResyncCase& c = GetParam();
  SourceKeys keys;
  keys.Reset(Bits(c.at_open));
  for (const InputEvent& e : c.seen) keys.Track(e);
  std::vector<StampedEvent> out;
  keys.Resync(Bits(c.kernel), 7, out);
  EXPECT_EQ(Events(out), c.expected);
  for (const StampedEvent& e : out) EXPECT_EQ(e.at, 7);
  // Once in step, the same state gives nothing more.
  out.clear();
  keys.Resync(Bits(c.kernel), 8, out);
  EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SourceKeysResync,
    ::testing::Values(
        ResyncCase{"nothing changed", {}, {{EV_REL, REL_X, 3}}, {}, {}},
        ResyncCase{"released while dropped",
                   {},
                   {{EV_KEY, BTN_LEFT, 1}, {EV_SYN, SYN_REPORT, 0}},
                   {},
                   {{EV_KEY, BTN_LEFT, 0}, {EV_SYN, SYN_REPORT, 0}}},
        ResyncCase{"pressed while dropped in code order, one held on", {BTN_SIDE}, {}, {BTN_SIDE, BTN_RIGHT, BTN_3},
                   {{EV_KEY, BTN_3, 1}, {EV_KEY, BTN_RIGHT, 1}, {EV_SYN, SYN_REPORT, 0}}},
        ResyncCase{"down at open, released meanwhile", {BTN_MIDDLE}, {}, {},
                   {{EV_KEY, BTN_MIDDLE, 0}, {EV_SYN, SYN_REPORT, 0}}},
        ResyncCase{"repeat counts as down, last key code",
                   {},
                   {{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_A, 2}},
                   {KEY_A, KEY_MAX},
                   {{EV_KEY, KEY_MAX, 1}, {EV_SYN, SYN_REPORT, 0}}}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

}  // namespace
}  // namespace vantix::agent
