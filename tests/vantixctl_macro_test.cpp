// vantixctl keys, labels and macro as scripts use them: a separate process,
// its output and its exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "macro/macro_files.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::Exists;
using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

using CtlResult = test::ProgramRun;

CtlResult Ctl(const ScratchDir& scratch, const std::vector<std::string>& args) {
  return test::RunProgram(VANTIXCTL_PATH, args, scratch);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class VantixctlMacroTest : public ::testing::Test {
 protected:
  VantixctlMacroTest() {
    std::filesystem::create_directories(data);
    for (const std::string language : {"en", "de"}) {
      const std::string strings = dir / (language + "/images/0409/strings");
      std::filesystem::create_directories(strings);
      for (const std::string file : {"general.ini", "skins.ini"}) {
        std::filesystem::copy_file(std::string(VANTIX_TEST_DATA) + "/strings/" + language + "/" + file,
                                   strings + "/" + file);
      }
    }
  }
  CtlResult Data(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data});
    return Ctl(dir, std::move(args));
  }
  void MakeMacroFolder() { std::filesystem::create_directories(data + "/MacroDB"); }
  std::string MacroFile(const std::string& name) const {
    return data + "/MacroDB/" + name + ".MSMACRO";
  }

  ScratchDir dir;
  const std::string data = dir / "data";
  const std::string english = dir / "en";
  const std::string german = dir / "de";
};

TEST_F(VantixctlMacroTest, KeysListsEveryNamedCodeWithUsageAndBothNames) {
  const CtlResult run = Ctl(dir, {"keys"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 107u);
  int previous = -1;
  for (const std::string& line : lines) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    const int code = std::stoi(line);
    EXPECT_GT(code, previous) << line;
    previous = code;
  }
  for (const std::string expected :
       {"1\t29\tEsc\tESC", "11\t27\t0\t0", "12\t2D\t-\t\xC3\x9F", "13\t2E\t=\t\xC2\xB4",
        "21\t1C\tY\tZ", "43\t31\t\\\t#", "74\t56\tNum -\tNum -", "93\t65\tApp\tApp",
        "224\t63\tNum Del\tNum entf", "239\tE6\tRAlt\tRAlt", "240\t-\tLeft Button\tLeft Button",
        "242\t-\tMiddle Button\tMiddle Button"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
}

TEST_F(VantixctlMacroTest, LabelsShowTheTwelveButtonsInTheSkinsLanguage) {
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  CtlResult run = Data({"labels", "1", "--program-dir", english});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Left Click\nRight Click\nMiddle Click\n1\n2\n3\n4\n5\n6\nDPI Down\nDPI Cycle\n"
                     "Fire Key\n");
  run = Data({"labels", "--program-dir=" + german, "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Lines(run.out).front(), "Linksklick");
  EXPECT_EQ(Lines(run.out).back(), "Dauerfeuer");
}

// The locale variables of one run, set in this process so that the child
// inherits them, and put back afterwards.
class LocaleEnvironment {
 public:
  explicit LocaleEnvironment(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const char* name : {"VANTIX_LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
      if (const char* old = std::getenv(name)) saved_.emplace_back(name, old);
      ::unsetenv(name);
    }
    for (const auto& [name, value] : values) ::setenv(name.c_str(), value.c_str(), 1);
  }
  ~LocaleEnvironment() {
    for (const char* name : {"VANTIX_LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(name);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }
  LocaleEnvironment(const LocaleEnvironment&) = delete;
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(VantixctlMacroTest, LabelsSpeakTheUsersLanguageOfAProgramFolderWithBoth) {
  // English in the skin's own folder, German beside it, as installed.
  const std::string both = dir / "both";
  for (const auto& [language, folder] : {std::pair{"en", "0409"}, std::pair{"de", "0407"}}) {
    const std::string strings = both + "/images/" + folder + "/strings";
    std::filesystem::create_directories(strings);
    for (const std::string file : {"general.ini", "skins.ini"}) {
      std::filesystem::copy_file(std::string(VANTIX_TEST_DATA) + "/strings/" + language + "/" + file,
                                 strings + "/" + file);
    }
  }
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  struct Case {
    std::vector<std::pair<std::string, std::string>> environment;
    std::string first_label;
  };
  const Case cases[] = {
      {{}, "Left Click"},
      {{{"LANG", "de_DE.UTF-8"}}, "Linksklick"},
      {{{"LANG", "de_DE.UTF-8"}, {"LC_ALL", "C.UTF-8"}}, "Left Click"},
      {{{"LC_MESSAGES", "de_AT.UTF-8"}}, "Linksklick"},
      {{{"LANG", "de_DE.UTF-8"}, {"VANTIX_LANGUAGE", "en"}}, "Left Click"},
      {{{"LANG", "en_US.UTF-8"}, {"VANTIX_LANGUAGE", "de"}}, "Linksklick"},
  };
  for (const Case& c : cases) {
    const LocaleEnvironment environment(c.environment);
    const CtlResult run = Data({"labels", "1", "--program-dir", both});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(Lines(run.out).empty());
    EXPECT_EQ(Lines(run.out).front(), c.first_label) << ::testing::PrintToString(c.environment);
  }
}

TEST_F(VantixctlMacroTest, LabelsWithoutSkinStringsStillListTwelveLines) {
  // Without profile files the repaired defaults have single keys without a
  // key; key names need no string file.
  CtlResult run = Data({"labels", "3", "--program-dir", dir / "no-skin"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "\n\n\nkey\nkey\nkey\nkey\nkey\nkey\n\n\n\n");
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  run = Data({"labels", "3", "--program-dir", dir / "no-skin"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "\n\n\n1\n2\n3\n4\n5\n6\n\n\n\n");

  // By default the skin beside vantixctl, whatever it holds by then.
  run = Data({"labels", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[3], "1");
  EXPECT_EQ(lines[8], "6");
}

TEST_F(VantixctlMacroTest, LabelsFollowTheMacroIndexWithoutSaving) {
  ASSERT_EQ(Data({"reset", "all"}).status, 0);
  const std::string profile = data + "/RSProfile1.pfd";
  for (const auto& [button, slot] : {std::pair{"ButtonAssigned_4", "1"}, std::pair{"ButtonAssigned_5", "3"}}) {
    ASSERT_EQ(Data({"ini", "write-int", profile, button, "ButtonFunc", "11"}).status, 0);
    ASSERT_EQ(Data({"ini", "write-int", profile, button, "KeyNumber", slot}).status, 0);
  }
  const std::string before = ReadBytes(profile);

  // No macro index: the assignments stay and show nothing.
  std::vector<std::string> lines = Lines(Data({"labels", "1", "--program-dir", english}).out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "");

  MakeMacroFolder();
  WriteBytes(data + "/MacroDB/MacroSet.MSDB", "[MACRO_LIST]\r\n0=Alpha\r\n1=Beta\r\n2=Gamma\r\n");
  lines = Lines(Data({"labels", "1", "--program-dir", english}).out);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[3], "Beta");
  EXPECT_EQ(lines[4], "Disabled");  // slot 3 is gone
  EXPECT_EQ(ReadBytes(profile), before);
}

TEST_F(VantixctlMacroTest, MacrosAreCreatedListedShownAndDeleted) {
  MakeMacroFolder();
  EXPECT_EQ(Data({"macro", "list"}).out, "");
  for (const std::string name : {"Alpha", "Beta", "Gamma"}) {
    const CtlResult run = Data({"macro", "new", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Data({"macro", "list"}).out, "Alpha\nBeta\nGamma\n");

  CtlResult run = Data({"macro", "show", "Beta", "--program-dir", english});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");

  MacroFiles files(data, SystemFileIo());
  MacroData macro;
  ASSERT_TRUE(files.LoadMacro("Beta", macro).ok());
  macro.events[0] = MacroEvent::Key(0x1C, true);
  macro.events[1] = MacroEvent::Delay(150);
  macro.events[2] = MacroEvent::Key(0x1C, false);
  macro.events[3] = MacroEvent::MouseButton(kMacroMiddleButton, true);
  macro.events[4] = MacroEvent{0x07, 1, 1};
  macro.events[5] = MacroEvent::MouseButton(kMacroMiddleButton, false);
  macro.count = 6;
  ASSERT_TRUE(files.SaveMacro(macro).ok());

  const std::string key(15, ' ');
  const std::string delay(46, ' ');
  run = Data({"macro", "show", "Beta", "--program-dir", english});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "press\t" + key + "Y\n" + "delay\t" + delay + "1500\n" + "release\t" + key + "Y\n" +
                         "press\t" + key + "Middle Click\n" + "release\t" + key + "Middle Click\n");
  run = Data({"macro", "show", "--program-dir", german, "Beta"});
  EXPECT_EQ(Lines(run.out).front(), "press\t" + key + "Z");
  EXPECT_EQ(Lines(run.out).back(), "release\t" + key + "Mittelklick");
  // Without skin strings the mouse rows have no label.
  run = Data({"macro", "show", "Beta", "--program-dir", dir / "no-skin"});
  EXPECT_EQ(Lines(run.out).back(), "release\t" + key);

  run = Data({"macro", "delete", "Alpha"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Exists(MacroFile("Alpha")));
  EXPECT_EQ(Data({"macro", "list"}).out, "Beta\nGamma\n");
  EXPECT_EQ(files.FindMacroSlot("Gamma"), 1);
}

TEST_F(VantixctlMacroTest, RefusalsExitWithOneAndOneLineOfReason) {
  MakeMacroFolder();
  ASSERT_EQ(Data({"macro", "new", "Taken"}).status, 0);
  WriteBytes(data + "/outside.MSMACRO", "[Setting]\r\nLoopTime=5\r\n");
  const std::string index = data + "/MacroDB/MacroSet.MSDB";
  WriteBytes(index, ReadBytes(index) + "1=../outside\r\n");
  const std::string index_before = ReadBytes(index);

  const std::vector<std::vector<std::string>> refused = {
      {"macro", "new", "Taken"},
      {"macro", "new", "../evil"},
      {"macro", "new", "a\nb"},
      {"macro", "new", ".."},
      {"macro", "new", "ABCDEFGHIJKLMNOPQRSTU"},
      {"macro", "show", "Unknown"},
      {"macro", "show", "taken"},
      {"macro", "show", "../outside"},
      {"macro", "delete", "Unknown"},
      {"macro", "delete", "../outside"},
  };
  for (const auto& args : refused) {
    const CtlResult run = Data(args);
    EXPECT_EQ(run.status, 1) << args[1] << " " << args[2];
    EXPECT_EQ(LineCount(run.err), 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadBytes(index), index_before);
  EXPECT_EQ(ReadBytes(data + "/outside.MSMACRO"), "[Setting]\r\nLoopTime=5\r\n");
  EXPECT_FALSE(Exists(data + "/evil.MSMACRO"));

  for (int k = 2; k < 15; ++k) ASSERT_EQ(Data({"macro", "new", "M" + std::to_string(k)}).status, 0);
  const CtlResult full = Data({"macro", "new", "Sixteenth"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("full"), std::string::npos) << full.err;
  EXPECT_FALSE(Exists(MacroFile("Sixteenth")));
}

TEST_F(VantixctlMacroTest, WriteFailuresExitWithThree) {
  // The program never makes the macro folder.
  CtlResult run = Data({"macro", "new", "Lost"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_FALSE(Exists(data + "/MacroDB"));

  MakeMacroFolder();
  ASSERT_EQ(Data({"macro", "new", "Stuck"}).status, 0);
  std::filesystem::remove(MacroFile("Stuck"));
  std::filesystem::create_directories(MacroFile("Stuck") + "/inside");
  run = Data({"macro", "delete", "Stuck"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_EQ(Data({"macro", "list"}).out, "Stuck\n");
}

TEST_F(VantixctlMacroTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> bad = {
      {"keys", "extra"},
      {"labels"},
      {"labels", "0"},
      {"labels", "6"},
      {"labels", "one"},
      {"labels", "1", "2"},
      {"labels", "1", "--program-dir"},
      {"labels", "1", "--program-dir="},
      {"macro"},
      {"macro", "frob"},
      {"macro", "list", "x"},
      {"macro", "new"},
      {"macro", "new", "a", "b"},
      {"macro", "show"},
      {"macro", "show", "a", "--program-dir"},
      {"macro", "delete"},
  };
  for (const auto& args : bad) {
    const CtlResult run = Data(args);
    EXPECT_EQ(run.status, 2) << args[0] << " " << args.size();
    EXPECT_FALSE(run.err.empty());
  }
  EXPECT_FALSE(Exists(data + "/MacroDB"));
}

TEST_F(VantixctlMacroTest, AnOversizedIndexOrMacroIsToldAndTheIndexMovedAsideByTheNextChange) {
  MakeMacroFolder();
  const std::string index = data + "/MacroDB/MacroSet.MSDB";
  const std::string huge = "[MACRO_LIST]\r\n0=Ghost\r\n" + std::string(kMaxDataFileBytes, 'z');
  WriteBytes(index, huge);

  const CtlResult list = Data({"macro", "list"});
  EXPECT_EQ(list.status, 1);
  EXPECT_NE(list.err.find("damaged"), std::string::npos) << list.err;
  EXPECT_EQ(ReadBytes(index), huge);

  const CtlResult made = Data({"macro", "new", "Fresh"});
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.err.find("moved aside"), std::string::npos) << made.err;
  EXPECT_EQ(Data({"macro", "list"}).out, "Fresh\n");
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data + "/MacroDB")) {
    kept += entry.path().filename().string().rfind("MacroSet.MSDB.damaged-", 0) == 0 &&
            ReadBytes(entry.path().string()) == huge;
  }
  EXPECT_EQ(kept, 1);

  WriteBytes(MacroFile("Fresh"), std::string(kMaxDataFileBytes + 1, 'm'));
  const CtlResult show = Data({"macro", "show", "Fresh", "--program-dir", english});
  EXPECT_EQ(show.status, 1);
  EXPECT_NE(show.err.find("Fresh.MSMACRO"), std::string::npos) << show.err;
}

}  // namespace
}  // namespace vantix
