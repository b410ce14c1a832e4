// Writers that meet: vantixctl processes started together, many rounds per
// test, and a writer stalled inside the folder lock. No change that exits 0
// may be lost.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "settings/file_io.h"
#include "settings/ini_file.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ProgramRun;
using test::ScratchDir;

constexpr int kRounds = 25;

class ConcurrentWritersTest : public ::testing::Test {
 protected:
  // A fresh data folder with a macro folder, for one round.
  std::string Fresh(int round) {
    const std::string data = scratch / ("round" + std::to_string(round));
    fs::create_directories(data + "/MacroDB");
    return data;
  }
  std::vector<std::string> Ctl(const std::string& data, std::vector<std::string> args) const {
    args.insert(args.begin(), {VANTIXCTL_PATH, "--data-dir", data});
    return args;
  }
  ProgramRun Run(const std::string& data, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data});
    return test::RunProgram(VANTIXCTL_PATH, args, scratch);
  }
  std::vector<std::string> MacroList(const std::string& data) {
    std::vector<std::string> names;
    const std::string out = Run(data, {"macro", "list"}).out;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
      names.push_back(out.substr(start, end - start));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  ScratchDir scratch;
};

void ExpectAllSucceeded(const std::vector<ProgramRun>& runs) {
  for (const ProgramRun& run : runs) EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(ConcurrentWritersTest, MacroNewAndDeleteTogetherKeepBothChanges) {
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string data = Fresh(round);
    ASSERT_EQ(Run(data, {"macro", "new", "gone"}).status, 0);
    ExpectAllSucceeded(test::RunTogether(
        {Ctl(data, {"macro", "new", "n"}), Ctl(data, {"macro", "delete", "gone"})}, scratch));
    EXPECT_EQ(MacroList(data), std::vector<std::string>{"n"});
    EXPECT_TRUE(fs::exists(data + "/MacroDB/n.MSMACRO"));
    EXPECT_FALSE(fs::exists(data + "/MacroDB/gone.MSMACRO"));
  }
}

TEST_F(ConcurrentWritersTest, ThreeMacrosMadeTogetherAreAllListed) {
  // The rarest of the races: more rounds.
  for (int round = 0; round < 4 * kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string data = Fresh(round);
    ExpectAllSucceeded(test::RunTogether({Ctl(data, {"macro", "new", "a"}),
                                          Ctl(data, {"macro", "new", "b"}),
                                          Ctl(data, {"macro", "new", "c"})},
                                         scratch));
    EXPECT_EQ(MacroList(data), (std::vector<std::string>{"a", "b", "c"}));
  }
}

TEST_F(ConcurrentWritersTest, TwoImportsIntoDifferentProfilesBothStay) {
  const std::string source = Fresh(-1);
  ASSERT_EQ(Run(source, {"reset", "all"}).status, 0);
  const std::string a = scratch / "A.pfd";
  const std::string b = scratch / "B.pfd";
  ASSERT_EQ(Run(source, {"export", "1", a}).status, 0);
  ASSERT_EQ(Run(source, {"export", "1", b}).status, 0);
  ASSERT_TRUE(IniFile(a, SystemFileIo()).WriteInt("GROUP", "PollingRate", 5).ok());
  ASSERT_TRUE(IniFile(b, SystemFileIo()).WriteInt("GROUP", "PollingRate", 7).ok());
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::string data = Fresh(round);
    ASSERT_EQ(Run(data, {"reset", "all"}).status, 0);
    ExpectAllSucceeded(test::RunTogether(
        {Ctl(data, {"import", "2", a}), Ctl(data, {"import", "4", b}), Ctl(data, {"reset", "5"})},
        scratch));
    EXPECT_EQ(IniFile(data + "/RSProfile2.pfd", SystemFileIo()).ReadInt(-1, "GROUP", "PollingRate"),
              5);
    EXPECT_EQ(IniFile(data + "/RSProfile4.pfd", SystemFileIo()).ReadInt(-1, "GROUP", "PollingRate"),
              7);
  }
}

// The system file layer, but the replacement stalls first: a writer stopped
// inside the folder lock, after it has read the file. LockHeld() is ready from
// the moment it stalls there.
class StalledIo final : public FileIo {
 public:
  std::future<void> LockHeld() { return lock_held_.get_future(); }
  std::optional<FileIdentity> Identity(const std::string& path) override {
    return SystemFileIo().Identity(path);
  }
  int LockFolder(const std::string& folder) override { return SystemFileIo().LockFolder(folder); }
  void UnlockFolder(int token) override { SystemFileIo().UnlockFolder(token); }
  FileRead Read(const std::string& path, std::size_t max_bytes) override {
    return SystemFileIo().Read(path, max_bytes);
  }
  Status Replace(const std::string& path, std::string_view bytes, bool sync_folder) override {
    lock_held_.set_value();
    std::this_thread::sleep_for(3s);  // longer than the window would wait
    return SystemFileIo().Replace(path, bytes, sync_folder);
  }
  Status SyncFolder(const std::string& folder) override { return SystemFileIo().SyncFolder(folder); }

 private:
  std::promise<void> lock_held_;
};

TEST_F(ConcurrentWritersTest, AWriterStalledInsideTheLockIsWaitedFor) {
  const std::string file = scratch / "settings.ini";
  StalledIo stalled;
  std::thread other([&, lock_held = stalled.LockHeld()] {
    lock_held.wait();  // the other writer comes while the stalled one holds the lock
    const ProgramRun run = test::RunProgram(VANTIXCTL_PATH, {"ini", "write-string", file, "S", "k2", "B"}, scratch);
    EXPECT_EQ(run.status, 0) << run.err;
  });
  EXPECT_TRUE(IniFile(file, stalled).WriteString("S", "k1", "A").ok());
  other.join();
  EXPECT_EQ(IniFile(file, SystemFileIo()).ReadString("S", "k1"), "A");
  EXPECT_EQ(IniFile(file, SystemFileIo()).ReadString("S", "k2"), "B");
}

TEST_F(ConcurrentWritersTest, TheWindowsShortWaitFailsTheWriteAndSaysSo) {
  const std::string file = scratch / "settings.ini";
  ASSERT_TRUE(IniFile(file, SystemFileIo()).WriteString("S", "k", "old").ok());
  // Another program's lock: its own open file, as flock locks go.
  const int held = ::open(scratch.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const Status busy = IniFile(file, WindowFileIo()).WriteString("S", "k", "new");
  EXPECT_FALSE(busy.ok());
  EXPECT_TRUE(busy.lock_busy());
  EXPECT_NE(busy.reason().find(scratch.path()), std::string::npos) << busy.reason();
  EXPECT_EQ(IniFile(file, SystemFileIo()).ReadString("S", "k"), "old");
  ::close(held);
  EXPECT_TRUE(IniFile(file, WindowFileIo()).WriteString("S", "k", "new").ok());
  EXPECT_EQ(IniFile(file, SystemFileIo()).ReadString("S", "k"), "new");
}

}  // namespace
}  // namespace vantix
