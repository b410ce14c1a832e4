// vantixctl as scripts use it: a separate process, its output and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/file_io.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

using CtlResult = test::ProgramRun;

CtlResult Ctl(const ScratchDir& scratch, const std::vector<std::string>& args) {
  return test::RunProgram(VANTIXCTL_PATH, args, scratch);
}

// The value printed after "Key": in a JSON line, e.g. Field(json, "DPI", 2)
// is the DPI of the third profile.
std::string Field(const std::string& json, const std::string& key, int occurrence = 0) {
  std::size_t pos = 0;
  for (int i = 0; i <= occurrence; ++i) {
    pos = json.find("\"" + key + "\": ", pos);
    if (pos == std::string::npos) return "<missing>";
    pos += key.size() + 4;
  }
  const std::size_t end = json.find_first_of(",}]", pos);
  return json.substr(pos, end - pos);
}

class VantixctlTest : public ::testing::Test {
 protected:
  CtlResult Data(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", dir.path()});
    return Ctl(dir, std::move(args));
  }
  ScratchDir dir;
};

TEST_F(VantixctlTest, ShowPrintsTheWholeBlockAsOneJsonObject) {
  const CtlResult run = Data({"show"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("{\"CurrentProfile\": 0, \"Profiles\": [{\"Group\": 1, \"PollingRate\": 2, "
                          "\"DoubleClickSpeed\": 5, ",
                          0),
            0u)
      << run.out.substr(0, 200);
  EXPECT_EQ(run.out.back(), '\n');
  EXPECT_EQ(Field(run.out, "DPIStageNum"), "6");
  EXPECT_NE(run.out.find("\"DPIStageNum\": 6, \"DpiStages\": [{\"Enabled\": 1, \"X\": 10, \"Y\": 10, "
                         "\"Linked\": 0}, "),
            std::string::npos);
  EXPECT_NE(run.out.find("\"Buttons\": [{\"ButtonID\": 255, \"ButtonFunc\": 1, \"LoopNumber\": 255, "
                         "\"KeyNumber\": 255, \"KeyEvents\": \"" + std::string(378, '0') +
                         "\", \"MacroName\": \"\"}, "),
            std::string::npos);
  EXPECT_EQ(Field(run.out, "Group", 1), "0");
}

TEST_F(VantixctlTest, ShowRawSkipsRepairs) {
  const CtlResult run = Data({"show", "--raw"});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(Field(run.out, "CurrentProfile"), "-1");
  EXPECT_EQ(Field(run.out, "PollingRate"), "-1");
  EXPECT_EQ(Field(run.out, "ButtonFunc"), "255");
  EXPECT_EQ(Field(run.out, "X"), "0");
}

TEST_F(VantixctlTest, ResetExportImportAndSaveWorkOnTheFiles) {
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(test::Exists(dir / ("RSProfile" + std::to_string(i) + ".pfd")));
  ASSERT_EQ(Data({"ini", "write-int", dir / "RSProfile3.pfd", "GROUP", "DPI", "4"}).status, 0);
  ASSERT_EQ(Data({"ini", "write-string", dir / "RSProfile3.pfd", "ButtonAssigned_2", "MacroName",
                  "Ström \"1\""}).status, 0);
  ASSERT_EQ(Data({"export", "3", dir / "three.pfd"}).status, 0);
  EXPECT_EQ(ReadBytes(dir / "three.pfd").find("GroupID"), std::string::npos);
  ASSERT_EQ(Data({"import", "1", dir / "three.pfd"}).status, 0);

  const CtlResult shown = Data({"show"});
  EXPECT_EQ(Field(shown.out, "DPI", 0), "4");
  EXPECT_NE(shown.out.find("\"MacroName\": \"Str\xC3\xB6m \\\"1\\\"\""), std::string::npos);

  ASSERT_EQ(Data({"reset", "1"}).status, 0);
  EXPECT_EQ(Field(Data({"show"}).out, "DPI", 0), "1");
  EXPECT_EQ(Field(Data({"show"}).out, "DPI", 2), "4");
}

TEST_F(VantixctlTest, IniCommandsReadAndWriteAnyFile) {
  const std::string file = dir / "any.ini";
  EXPECT_EQ(Data({"ini", "read-string", file, "S", "k", "fallback  "}).out, "fallback\n");
  ASSERT_EQ(Data({"ini", "write-string", file, "S", "k", "  v  "}).status, 0);
  EXPECT_EQ(ReadBytes(file), "[S]\r\nk=v  \r\n");
  ASSERT_EQ(Data({"ini", "write-int", file, "S", "n", "-42"}).status, 0);
  EXPECT_EQ(Data({"ini", "read-int", file, "S", "n", "7"}).out, "-42\n");
  EXPECT_EQ(Data({"ini", "read-int", file, "S", "missing", "7"}).out, "7\n");
  ASSERT_EQ(Data({"ini", "write-struct", file, "S", "b", "01ff"}).status, 0);
  EXPECT_EQ(Data({"ini", "read-string", file, "S", "b"}).out, "01FF00\n");
  EXPECT_EQ(Data({"ini", "read-struct", file, "S", "b", "2"}).out, "01FF\n");

  struct Failing {
    std::string value;
    std::string size;
  };
  for (const Failing& f : {Failing{"01FF01", "2"}, Failing{"01FF00", "3"}, Failing{"01FG00", "2"},
                           Failing{"", "0"}}) {
    WriteBytes(file, "[S]\r\nb=" + f.value + "\r\n");
    const CtlResult run = Data({"ini", "read-struct", file, "S", "b", f.size});
    EXPECT_EQ(run.status, 1) << f.value;
    EXPECT_EQ(run.out, "") << f.value;
  }
  EXPECT_EQ(Data({"ini", "read-struct", file, "S", "absent", "99999999999"}).status, 1);
}

TEST_F(VantixctlTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"show", "--cooked"},
      {"export", "0", "x.pfd"},
      {"export", "6", "x.pfd"},
      {"import", "one", "x.pfd"},
      {"reset"},
      {"reset", "some"},
      {"ini"},
      {"ini", "read-int", "f", "S", "k"},
      {"ini", "read-int", "f", "S", "k", "12abc"},
      {"ini", "write-int", "f", "S", "k", "4294967296"},
      {"ini", "write-struct", "f", "S", "k", "ABC"},
      {"ini", "write-struct", "f", "S", "k", "zz"},
      {"ini", "read-struct", "f", "S", "k", "-1"},
      {"--data-dir"},
  };
  for (const auto& args : bad) {
    const CtlResult run = Ctl(dir, args);
    EXPECT_EQ(run.status, 2) << (args.empty() ? "(none)" : args[0]) << " " << args.size();
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_FALSE(test::Exists(dir / "f"));
}

TEST_F(VantixctlTest, WriteFailuresExitWithThreeAndLeaveFilesWhole) {
  // A missing data folder.
  CtlResult run = Ctl(dir, {"--data-dir", dir / "missing", "save"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;

  // A read-only file is not replaced.
  const std::string locked = dir / "locked.ini";
  WriteBytes(locked, "[S]\r\nk=old\r\n");
  ::chmod(locked.c_str(), 0444);
  run = Data({"ini", "write-string", locked, "S", "k", "new"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(ReadBytes(locked), "[S]\r\nk=old\r\n");

  // A profile file that is a folder.
  std::filesystem::create_directories(dir / "RSProfile2.pfd");
  EXPECT_EQ(Data({"save"}).status, 3);
  EXPECT_EQ(Data({"export", "1", dir.path()}).status, 3);
}

TEST_F(VantixctlTest, ImportOfAFileThatCannotBeReadChangesNothing) {
  ASSERT_EQ(Data({"save"}).status, 0);
  const std::string before = ReadBytes(dir / "RSProfile1.pfd");
  const CtlResult run = Data({"import", "1", dir / "absent.pfd"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(ReadBytes(dir / "RSProfile1.pfd"), before);
}

TEST_F(VantixctlTest, BinaryGarbageReadsAsDefaults) {
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage.push_back(static_cast<char>((i * 7919) ^ (i >> 3)));
  for (int i = 1; i <= 5; ++i) WriteBytes(dir / ("RSProfile" + std::to_string(i) + ".pfd"), garbage);
  const CtlResult run = Data({"show"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Field(run.out, "PollingRate"), "2");
}

TEST_F(VantixctlTest, AnOversizedProfileIsToldAndMovedAsideBySave) {
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  const std::string huge(2 * 1024 * 1024, '\xAB');
  WriteBytes(dir / "RSProfile3.pfd", huge);

  const CtlResult show = Data({"show"});
  EXPECT_EQ(show.status, 1);
  EXPECT_EQ(Field(show.out, "PollingRate"), "2");  // the others still shown
  EXPECT_NE(show.err.find("RSProfile3.pfd"), std::string::npos) << show.err;
  EXPECT_EQ(ReadBytes(dir / "RSProfile3.pfd"), huge);  // show writes nothing

  ASSERT_EQ(Data({"save"}).status, 0);
  EXPECT_EQ(Data({"show"}).status, 0);
  bool kept = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    kept |= name.rfind("RSProfile3.pfd.damaged-", 0) == 0 && ReadBytes(entry.path().string()) == huge;
  }
  EXPECT_TRUE(kept);
}

TEST_F(VantixctlTest, AnImportSourceWithoutAProfileIsRefusedAndChangesNothing) {
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  std::string binary = "[GROUP]\r\nPollingRate=5\r\n";
  binary += std::string(64, '\0');
  const struct {
    const char* name;
    std::string bytes;
  } sources[] = {
      {"empty.pfd", ""},
      {"other.ini", "[Setting]\r\nLoopTime=3\r\n"},
      {"binary.pfd", binary},
      {"huge.pfd", std::string(kMaxDataFileBytes + 1, 'x')},
  };
  const std::string before = ReadBytes(dir / "RSProfile2.pfd");
  for (const auto& source : sources) {
    SCOPED_TRACE(source.name);
    WriteBytes(dir / source.name, source.bytes);
    const CtlResult run = Data({"import", "2", dir / source.name});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("not a profile"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(dir / "RSProfile2.pfd"), before);
  }
}

}  // namespace
}  // namespace vantix
