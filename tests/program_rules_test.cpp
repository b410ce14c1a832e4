// programs.ini: the rules binding programs to profiles.
#include "devicelink/program_rules.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

class ProgramRulesTest : public ::testing::Test {
 protected:
  ProgramRules Read() { return ReadProgramRules(path_, io_); }
  ScratchDir dir_;
  // In a folder that does not exist yet: the first write makes it.
  std::string path_ = dir_ / "vantix/programs.ini";
  FileIo& io_ = SystemFileIo();
};

TEST_F(ProgramRulesTest, SetReplacesRemoveDeletesAndTheFileIsWrittenWhole) {
  ASSERT_TRUE(SetProgramRule(path_, "firefox", 2, io_).ok());
  ASSERT_TRUE(SetProgramRule(path_, "steam", 5, io_).ok());
  ASSERT_TRUE(SetProgramRule(path_, "FireFox", 3, io_).ok());  // the same program
  EXPECT_EQ(Read().rules, (std::vector<ProgramRule>{{"FireFox", 3}, {"steam", 5}}));

  bool removed = false;
  ASSERT_TRUE(RemoveProgramRule(path_, "FIREFOX", removed, io_).ok());
  EXPECT_TRUE(removed);
  ASSERT_TRUE(RemoveProgramRule(path_, "firefox", removed, io_).ok());
  EXPECT_FALSE(removed);
  EXPECT_EQ(ReadBytes(path_), "[Programs]\r\nCount=1\r\nProgram1=steam\r\nProfile1=5\r\n");
}

TEST_F(ProgramRulesTest, MatchesTheClassFirstThenTheExecutableCaseInsensitivelyAndWhole) {
  ASSERT_TRUE(SetProgramRule(path_, "Steam", 5, io_).ok());
  ASSERT_TRUE(SetProgramRule(path_, "hl2_linux", 4, io_).ok());
  const ProgramRules rules = Read();
  using Names = std::vector<std::string>;
  ASSERT_NE(rules.Match(Names{"steam", ""}), nullptr);
  EXPECT_EQ(rules.Match(Names{"steam", "hl2_linux"})->profile, 5);
  EXPECT_EQ(rules.Match(Names{"unknown", "HL2_LINUX"})->profile, 4);
  EXPECT_EQ(rules.Match(Names{"steamwebhelper", "hl2"}), nullptr);
  EXPECT_EQ(rules.Match(Names{"", ""}), nullptr);
}

TEST_F(ProgramRulesTest, RefusesNamesAndProfilesThatMakeNoRule) {
  using Fault = ProgramNameFault;
  const std::string too_long(kMaxProgramNameBytes + 1, 'a');
  for (const auto& [bad, fault] :
       {std::pair{std::string_view(""), Fault::kEmpty}, {std::string_view(" lead"), Fault::kSpaceAtEnd},
        {std::string_view("trail "), Fault::kSpaceAtEnd}, {std::string_view("trail\t"), Fault::kControl}, {std::string_view("tab\nnewline"), Fault::kControl},
        {std::string_view("\"quoted\""), Fault::kQuoted}, {std::string_view(too_long), Fault::kTooLong}}) {
    EXPECT_EQ(FindProgramNameFault(bad), fault) << bad;
    EXPECT_FALSE(ProgramNameProblem(bad).empty()) << bad;
    EXPECT_FALSE(SetProgramRule(path_, bad, 1, io_).ok()) << bad;
  }
  EXPECT_EQ(FindProgramNameFault("it's \"fine\""), Fault::kNone);
  EXPECT_FALSE(SetProgramRule(path_, std::string(kMaxProgramNameBytes + 1, 'a'), 1, io_).ok());
  EXPECT_FALSE(SetProgramRule(path_, "game", 0, io_).ok());
  EXPECT_FALSE(SetProgramRule(path_, "game", 6, io_).ok());
  EXPECT_TRUE(SetProgramRule(path_, "org.gnome.Nautilus [x]=;", 1, io_).ok());
  EXPECT_EQ(Read().rules.at(0).program, "org.gnome.Nautilus [x]=;");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "vantix/programs.ini.tmp"));
}

TEST_F(ProgramRulesTest, MissingDamagedAndHandEditedFiles) {
  EXPECT_TRUE(Read().rules.empty());
  EXPECT_TRUE(Read().problem.empty());

  // Hand edits that make no rule are skipped; the others stay.
  std::filesystem::create_directories(dir_ / "vantix");
  WriteBytes(path_,
             "[Programs]\nCount=6\nProgram1=a\nProfile1=9\nProgram2=\nProfile2=1\n"
             "Program3=b\nProfile3=2\nProgram4=B\nProfile4=3\nProgram6=c\nProfile6=1\n");
  EXPECT_EQ(Read().rules, (std::vector<ProgramRule>{{"b", 2}, {"c", 1}}));
  WriteBytes(path_, "[Programs]\nCount=2147483647\nProgram1=a\nProfile1=1\n");
  EXPECT_EQ(Read().rules.size(), 1u);
  WriteBytes(path_, std::string("\xff\xfe\0\0garbage\x01\x02", 12));
  EXPECT_TRUE(Read().rules.empty());

  // Too large: no rules, said why; the next write keeps it aside.
  WriteBytes(path_, "[Programs]\nCount=1\nProgram1=a\nProfile1=1\n" + std::string(kMaxDataFileBytes, ';'));
  EXPECT_TRUE(Read().rules.empty());
  EXPECT_NE(Read().problem.find("larger"), std::string::npos);
  ASSERT_TRUE(SetProgramRule(path_, "game", 3, io_).ok());
  EXPECT_EQ(Read().rules, (std::vector<ProgramRule>{{"game", 3}}));
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "vantix")) {
    aside += entry.path().filename().string().starts_with("programs.ini.damaged-") ? 1 : 0;
  }
  EXPECT_EQ(aside, 1);
}

TEST_F(ProgramRulesTest, KeepsAtMostTheLimit) {
  std::string full = "[Programs]\nCount=" + std::to_string(kMaxProgramRules + 5) + "\n";
  for (std::size_t i = 1; i <= kMaxProgramRules + 5; ++i) {
    full += "Program" + std::to_string(i) + "=p" + std::to_string(i) + "\nProfile" + std::to_string(i) + "=1\n";
  }
  std::filesystem::create_directories(dir_ / "vantix");
  WriteBytes(path_, full);
  EXPECT_EQ(Read().rules.size(), kMaxProgramRules);
  EXPECT_FALSE(SetProgramRule(path_, "one-more", 1, io_).ok());
  EXPECT_TRUE(SetProgramRule(path_, "p1", 2, io_).ok());  // a change is no new rule
  EXPECT_EQ(Read().rules.size(), kMaxProgramRules);
}

}  // namespace
}  // namespace vantix
