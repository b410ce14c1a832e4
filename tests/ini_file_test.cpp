#include "settings/ini_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "settings/file_io.h"
#include "settings/ini_document.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::FaultyFileIo;
using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// An old, exact modification time, so that "untouched" needs no waiting.
void SetOldMtime(const std::string& path) {
  const struct timespec times[2] = {{1000000000, 123}, {1000000000, 123}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void ExpectUntouched(const std::string& path, const std::string& bytes, ino_t inode) {
  const struct stat st = StatOf(path);
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_EQ(st.st_ino, inode);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123);
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

class IniFileTest : public ::testing::Test {
 protected:
  ScratchDir dir_;
  const std::string path_ = dir_ / "profile.ini";
  FaultyFileIo io_;
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndCreatesNothing) {
  const IniFile file(path_, SystemFileIo());
  std::array<std::uint8_t, 2> target = {7, 7};
  EXPECT_EQ(file.ReadString("S", "k", "def"), "def");
  EXPECT_EQ(file.ReadInt(-3, "S", "k"), -3);
  EXPECT_FALSE(file.ReadStruct(target.size(), target.data(), "S", "k"));
  EXPECT_EQ(target, (std::array<std::uint8_t, 2>{7, 7}));
  EXPECT_EQ(file.Load().State(), FileRead::State::kMissing);
  EXPECT_TRUE(Names(dir_.path()).empty());
}

TEST_F(IniFileTest, WritesANewFileAsUtf8AndReadsItBack) {
  IniFile file(path_, io_);
  ASSERT_TRUE(file.WriteString("S", "name", "caf\xC3\xA9").ok());
  ASSERT_TRUE(file.WriteInt("S", "n", -12).ok());
  const std::array<std::uint8_t, 2> bytes = {0x10, 0x20};
  ASSERT_TRUE(file.WriteStruct(bytes.size(), "T", "b", bytes.data()).ok());
  EXPECT_TRUE(io_.last_sync_folder);  // a single write is on disk when it returns
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nname=caf\xC3\xA9\r\nn=-12\r\n[T]\r\nb=102030\r\n");
  EXPECT_EQ(file.ReadString("S", "name"), "caf\xC3\xA9");
  EXPECT_EQ(file.ReadInt(0, "S", "n"), -12);
  std::array<std::uint8_t, 2> out{};
  EXPECT_TRUE(file.ReadStruct(out.size(), out.data(), "T", "b"));
  EXPECT_EQ(out, bytes);
  EXPECT_EQ(Names(dir_.path()), std::set<std::string>{"profile.ini"});
}

TEST_F(IniFileTest, WriteRewritesTheWholeFileKeepingItsEncoding) {
  // UTF-16LE, LF line ends, blank lines and a comment.
  const std::u16string before = u"\uFEFF;  note = x  \n\n[S]\n  k = 1 \n";
  std::string bytes;
  for (const char16_t u : before) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  WriteBytes(path_, bytes);
  ASSERT_TRUE(IniFile(path_, SystemFileIo()).WriteString("S", "k", "\xC3\xA9").ok());
  const std::u16string after = u"\uFEFF;  note=x\r\n[S]\r\nk=\u00E9\r\n";
  std::string expected;
  for (const char16_t u : after) expected += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  EXPECT_EQ(ReadBytes(path_), expected);
}

TEST_F(IniFileTest, FileWithOnlyAUtf16MarkIsWrittenAsUtf16) {
  WriteBytes(path_, "\xFF\xFE");
  ASSERT_TRUE(IniFile(path_, SystemFileIo()).WriteString("S", "k", "v").ok());
  EXPECT_EQ(ReadBytes(path_), std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22));
}

TEST_F(IniFileTest, WriteThatChangesNothingLeavesTheFileUntouched) {
  const std::string bytes = "\xEF\xBB\xBF  [S]  \n\n k = v \n n=0x10\n;c\n";
  WriteBytes(path_, bytes);
  SetOldMtime(path_);
  const ino_t inode = StatOf(path_).st_ino;
  IniFile file(path_, io_);
  EXPECT_TRUE(file.WriteString("s", " K ", "  v").ok());
  EXPECT_TRUE(file.WriteString("S", "n", "0x10").ok());
  EXPECT_EQ(io_.replaces, 0);
  ExpectUntouched(path_, bytes, inode);
}

TEST_F(IniFileTest, BatchOfManyWritesIsOneReplacement) {
  WriteBytes(path_, "[Main]\r\nkeep=1\r\n");
  const ino_t before = StatOf(path_).st_ino;
  IniDocument expected = IniDocument::Parse(ReadBytes(path_));

  IniBatch batch = IniFile(path_, io_).Edit();
  for (int i = 0; i < 200; ++i) {
    const std::string section = "S" + std::to_string(i % 7);
    batch.WriteInt(section, "k" + std::to_string(i), i);
    expected.WriteInt(section, "k" + std::to_string(i), i);
  }
  EXPECT_EQ(io_.replaces, 0);  // nothing on disk before Commit
  EXPECT_EQ(ReadBytes(path_), "[Main]\r\nkeep=1\r\n");
  ASSERT_TRUE(batch.Commit(/*sync_folder=*/false).ok());
  EXPECT_EQ(io_.reads, 1);
  EXPECT_EQ(io_.replaces, 1);
  EXPECT_FALSE(io_.last_sync_folder);
  EXPECT_NE(StatOf(path_).st_ino, before);
  EXPECT_EQ(ReadBytes(path_), expected.Serialize());
  EXPECT_EQ(IniFile(path_, SystemFileIo()).ReadInt(-1, "s3", "K199"), 199);

  // Committing again has nothing left to write.
  ASSERT_TRUE(batch.Commit().ok());
  EXPECT_EQ(io_.replaces, 1);
}

TEST(IniBatchConcurrencyTest, AWriteByAnotherWriterMeanwhileIsNotLost) {
  // The device agent writes [Device] of the macro index while the utility
  // holds a batch for [MACRO_LIST] of the same file.
  ScratchDir dir;
  const std::string path = dir / "MacroSet.MSDB";
  WriteBytes(path, "[MACRO_LIST]\r\n0=Old\r\n");
  IniBatch ours = IniFile(path, SystemFileIo()).Edit();
  ours.WriteString("MACRO_LIST", "0", "Combo");
  ours.WriteString("MACRO_LIST", "1", "Burst");
  ASSERT_TRUE(IniFile(path, SystemFileIo()).WriteInt("Device", "Setting", 1).ok());  // someone else
  ASSERT_TRUE(ours.Commit().ok());
  EXPECT_EQ(ReadBytes(path), "[MACRO_LIST]\r\n0=Combo\r\n1=Burst\r\n[Device]\r\nSetting=1\r\n");

  // Their write may also make ours unnecessary: then nothing is rewritten.
  IniBatch same = IniFile(path, SystemFileIo()).Edit();
  same.WriteString("Device", "Setting", "0");
  ASSERT_TRUE(IniFile(path, SystemFileIo()).WriteInt("Device", "Setting", 0).ok());
  const ino_t inode = StatOf(path).st_ino;
  ASSERT_TRUE(same.Commit().ok());
  EXPECT_EQ(StatOf(path).st_ino, inode);
}

TEST_F(IniFileTest, BatchThatChangesNothingTouchesNothing) {
  const std::string bytes = "[S]\nk=v\n[T]\nn = 5\n";
  WriteBytes(path_, bytes);
  SetOldMtime(path_);
  const ino_t inode = StatOf(path_).st_ino;
  IniBatch batch = IniFile(path_, io_).Edit();
  batch.WriteString("S", "k", "v");
  batch.WriteInt("t", "N", 5);
  EXPECT_FALSE(batch.Changed());
  EXPECT_TRUE(batch.Commit().ok());
  EXPECT_EQ(io_.replaces, 0);
  ExpectUntouched(path_, bytes, inode);
}

TEST_F(IniFileTest, SnapshotReadsTheFileOnce) {
  WriteBytes(path_, "[S]\r\na=1\r\nb=two\r\n");
  const IniSnapshot snapshot = IniFile(path_, io_).Load();
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(snapshot.ReadInt(0, "S", "a"), 1);
    EXPECT_EQ(snapshot.ReadString("S", "b"), "two");
  }
  EXPECT_TRUE(snapshot.Readable());
  EXPECT_EQ(io_.reads, 1);
}

TEST_F(IniFileTest, FolderInPlaceOfTheFileReadsDefaultsAndRefusesWrites) {
  std::filesystem::create_directory(path_);
  WriteBytes(path_ + "/inside", "x");
  IniFile file(path_, io_);
  EXPECT_EQ(file.ReadString("S", "k", "def"), "def");
  EXPECT_FALSE(file.Load().Readable());
  const Status status = file.WriteString("S", "k", "v");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.reason().find(path_), std::string::npos) << status.reason();
  EXPECT_EQ(io_.replaces, 0);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_EQ(ReadBytes(path_ + "/inside"), "x");
  EXPECT_EQ(Names(dir_.path()), std::set<std::string>{"profile.ini"});
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
  const std::string bytes = "[S]\r\nk=1\r\n";
  WriteBytes(path_, bytes);
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  SetOldMtime(path_);
  const ino_t inode = StatOf(path_).st_ino;
  IniFile file(path_, SystemFileIo());

  const Status status = file.WriteString("S", "k", "2");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.reason().find("read-only"), std::string::npos) << status.reason();
  ExpectUntouched(path_, bytes, inode);
  EXPECT_EQ(StatOf(path_).st_mode & 07777, 0444u);
  EXPECT_EQ(file.ReadInt(0, "S", "k"), 1);
  // Writing what is already there needs no write access.
  EXPECT_TRUE(file.WriteString("S", "k", "1").ok());
  EXPECT_EQ(Names(dir_.path()), std::set<std::string>{"profile.ini"});
}

TEST_F(IniFileTest, SymbolicLinkTargetIsReplacedNotTheLink) {
  std::filesystem::create_directory(dir_ / "real");
  const std::string target = dir_ / "real/target.ini";
  WriteBytes(target, "[S]\nk=1\n");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  std::filesystem::create_symlink("real/target.ini", path_);

  ASSERT_TRUE(IniFile(path_, SystemFileIo()).WriteString("S", "k", "2").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(std::filesystem::read_symlink(path_), "real/target.ini");
  EXPECT_EQ(ReadBytes(target), "[S]\r\nk=2\r\n");
  EXPECT_EQ(StatOf(target).st_mode & 07777, 0640u);
  EXPECT_EQ(Names(dir_.path()), (std::set<std::string>{"profile.ini", "real"}));
  EXPECT_EQ(Names(dir_ / "real"), std::set<std::string>{"target.ini"});
}

TEST_F(IniFileTest, PermissionsSurviveARewrite) {
  for (const mode_t mode : {0600, 0640, 0664, 0606}) {
    WriteBytes(path_, "[S]\nk=0\n");
    ASSERT_EQ(::chmod(path_.c_str(), mode), 0);
    ASSERT_TRUE(
        IniFile(path_, SystemFileIo()).WriteInt("S", "k", static_cast<std::int32_t>(mode)).ok());
    EXPECT_EQ(StatOf(path_).st_mode & 07777, mode);
    EXPECT_EQ(IniFile(path_, SystemFileIo()).ReadInt(0, "S", "k"), static_cast<std::int32_t>(mode));
  }
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFails) {
  const std::string path = dir_ / "missing/profile.ini";
  const Status status = IniFile(path, SystemFileIo()).WriteString("S", "k", "v");
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.reason().empty());
  EXPECT_TRUE(Names(dir_.path()).empty());
}

TEST_F(IniFileTest, FailedReplaceIsReportedAndTheBatchCanRetry) {
  const std::string bytes = "[S]\r\nk=1\r\n";
  WriteBytes(path_, bytes);
  io_.FailAfterWrites(0);
  IniFile file(path_, io_);
  const Status single = file.WriteString("S", "k", "2");
  EXPECT_FALSE(single.ok());
  EXPECT_EQ(single.reason(), "cannot write " + path_ + ": disk full");
  EXPECT_EQ(ReadBytes(path_), bytes);

  IniBatch batch = file.Edit();
  batch.WriteString("S", "k", "3");
  EXPECT_FALSE(batch.Commit().ok());
  io_.StopFailing();
  EXPECT_TRUE(batch.Changed());
  ASSERT_TRUE(batch.Commit().ok());
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=3\r\n");
}

TEST_F(IniFileTest, FileThatCannotBeReadIsNeverOverwritten) {
  WriteBytes(path_, "[S]\r\nk=1\r\n");
  io_.fail_reads = true;
  IniFile file(path_, io_);
  EXPECT_EQ(file.ReadInt(9, "S", "k"), 9);
  EXPECT_EQ(file.Load().State(), FileRead::State::kFailed);
  const Status status = file.WriteString("S", "k", "2");
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.reason(), "cannot read " + path_ + ": injected fault");
  EXPECT_EQ(io_.replaces, 0);
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=1\r\n");
}

// A real write failure half way (the file size limit makes write(2) fail):
// the old file stays whole and the temporary file is gone.
TEST_F(IniFileTest, WriteFailingHalfWayLeavesOldFileAndNoTemporary) {
  const std::string bytes = "[S]\r\nk=1\r\n";
  WriteBytes(path_, bytes);
  SetOldMtime(path_);
  const ino_t inode = StatOf(path_).st_ino;

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status status =
      IniFile(path_, SystemFileIo()).WriteString("S", "k", std::string(1000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.reason().empty());
  ExpectUntouched(path_, bytes, inode);
  EXPECT_EQ(Names(dir_.path()), std::set<std::string>{"profile.ini"});
}

TEST_F(IniFileTest, HugeValueIsWrittenWholeAndReadCut) {
  const std::string huge(1'000'000, 'v');
  IniFile file(path_, SystemFileIo());
  ASSERT_TRUE(file.WriteString("S", "k", huge).ok());
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=" + huge + "\r\n");
  EXPECT_EQ(file.ReadString("S", "k"), std::string(kIniStringUnits, 'v'));
  EXPECT_TRUE(file.WriteString("S", "k", huge).ok());  // unchanged
}

TEST_F(IniFileTest, MegabyteLineSurvivesOtherWrites) {
  const std::string line = "big=" + std::string(1 << 20, 'b') + "=tail";
  WriteBytes(path_, "[S]\r\n" + line + "\r\nk=1\r\n");
  IniFile file(path_, SystemFileIo());
  EXPECT_EQ(file.ReadInt(0, "S", "k"), 1);
  EXPECT_EQ(file.ReadString("S", "big"), std::string(kIniStringUnits, 'b'));
  ASSERT_TRUE(file.WriteInt("S", "k", 2).ok());
  EXPECT_EQ(ReadBytes(path_), "[S]\r\n" + line + "\r\nk=2\r\n");
}

TEST_F(IniFileTest, FiftyMegabyteFile) {
  std::string content = "[Profile]\r\nName=first\r\n[Bulk]\r\n";
  const std::string filler(200, 'f');
  content.reserve(51u * 1024 * 1024);
  int lines = 0;
  for (; content.size() < 50u * 1024 * 1024; ++lines) {
    content.append("key").append(std::to_string(lines)).append("=").append(filler).append("\r\n");
  }
  content += "[Tail]\r\nlast=end\r\n";
  WriteBytes(path_, content);

  IniFile file(path_, SystemFileIo());
  const IniSnapshot snapshot = file.Load();
  EXPECT_EQ(snapshot.ReadString("Profile", "Name"), "first");
  EXPECT_EQ(snapshot.ReadString("Bulk", "key" + std::to_string(lines - 1)), filler);
  EXPECT_EQ(snapshot.ReadString("Tail", "last"), "end");
  ASSERT_TRUE(file.WriteString("Profile", "Name", "second").ok());
  const std::string after = ReadBytes(path_);
  ASSERT_EQ(after.size(), content.size() + 1);
  EXPECT_TRUE(after == "[Profile]\r\nName=second\r\n" + content.substr(23));
}

// A program file over the data limit is damaged: nothing of it is read, and
// the next write keeps its bytes beside the new file. Any other INI file of
// that size is refused rather than moved.
TEST_F(IniFileTest, AnOversizedDataFileReadsAsEmptyAndIsMovedAsideByTheNextWrite) {
  std::string garbage = "[S]\r\nk=1\r\n";
  garbage.resize(kMaxDataFileBytes + 1, '\x7F');
  WriteBytes(path_, garbage);

  const IniFile data(path_, SystemFileIo(), kDataFile);
  const IniSnapshot snapshot = data.Load();
  EXPECT_TRUE(snapshot.Damaged());
  EXPECT_EQ(snapshot.ReadInt(-1, "S", "k"), -1);

  EXPECT_TRUE(IniFile(path_, SystemFileIo()).Load().Readable());  // within the general limit
  IniBatch batch = data.Edit();
  batch.WriteInt("S", "k", 2);
  ASSERT_TRUE(batch.Commit().ok());
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=2\r\n");
  const std::string aside = batch.moved_aside();
  EXPECT_EQ(aside.rfind(path_ + ".damaged-", 0), 0u) << aside;
  EXPECT_EQ(ReadBytes(aside), garbage);
  EXPECT_FALSE(data.Load().Damaged());

  // A second damaged copy never replaces the first.
  WriteBytes(path_, garbage);
  IniBatch again = data.Edit();
  again.WriteInt("S", "k", 3);
  ASSERT_TRUE(again.Commit().ok());
  EXPECT_NE(again.moved_aside(), aside);
  EXPECT_EQ(ReadBytes(aside), garbage);
  EXPECT_EQ(ReadBytes(again.moved_aside()), garbage);
}

TEST_F(IniFileTest, TemporariesOfWritersThatAreGoneGoAtTheNextWrite) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ::waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone);
  const std::string live = std::to_string(::getppid());
  const std::set<std::string> kept = {
      ".profile.ini.tmp-" + live + "-0",   // its writer may still rename it
      "profile.ini.tmp-" + dead + "-0",    // not one of ours: no leading dot
      ".profile.ini.tmp-x" + dead + "-0",  // not a process id
      ".profile.ini.tmp-" + dead + "-",    // no counter
      ".profile.ini.tmp-" + dead + "-0x",  // not a counter
  };
  for (const std::string& name : kept) WriteBytes(dir_ / name, "keep");
  WriteBytes(dir_ / (".profile.ini.tmp-" + dead + "-0"), "stale");
  WriteBytes(dir_ / (".RSProfile3.pfd.tmp-" + dead + "-17"), "stale");

  ASSERT_TRUE(IniFile(path_, SystemFileIo()).WriteString("S", "k", "v").ok());
  std::set<std::string> expected = kept;
  expected.insert("profile.ini");
  EXPECT_EQ(Names(dir_.path()), expected);
}

TEST_F(IniFileTest, AHolderOfTheFolderLockWritesInsideIt) {
  // A read-modify-write of several files holds the lock and writes through
  // batches that take it again; waiting for itself would stall every save.
  const FolderLock lock(SystemFileIo(), dir_.path());
  ASSERT_TRUE(lock.held());
  EXPECT_TRUE(IniFile(path_, SystemFileIo()).WriteString("S", "k", "1").ok());
  EXPECT_TRUE(IniFile(dir_ / "other.ini", SystemFileIo()).WriteString("S", "k", "2").ok());
  EXPECT_TRUE(IniFile(dir_ / "window.ini", WindowFileIo()).WriteString("S", "k", "3").ok());
  EXPECT_EQ(IniFile(path_, SystemFileIo()).ReadString("S", "k"), "1");
}

}  // namespace
}  // namespace vantix
