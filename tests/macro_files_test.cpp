// The macro files and the macro index: event encoding, byte-exact files,
// the index operations, refusals, hostile names and the agent notices.
#include "macro/macro_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "macro/event_rows.h"
#include "tests/recorders.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::Exists;
using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

const std::string kEnglishSkin = std::string(VANTIX_TEST_DATA) + "/strings/en";
const std::string kGermanSkin = std::string(VANTIX_TEST_DATA) + "/strings/de";

// Every file and folder below root with its bytes, to show that nothing
// changed.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    tree[entry.path().string()] = entry.is_regular_file() ? ReadBytes(entry.path().string()) : "<dir>";
  }
  return tree;
}

using test::RecordingAgent;

class MacroFilesTest : public ::testing::Test {
 protected:
  MacroFilesTest() { std::filesystem::create_directories(macro_dir()); }
  std::string data() const { return dir.path() + "/"; }
  std::string macro_dir() const { return dir / "MacroDB"; }
  std::string index() const { return dir / "MacroDB/MacroSet.MSDB"; }
  std::string file_of(const std::string& name) const {
    return dir / ("MacroDB/" + name + ".MSMACRO");
  }
  void WriteIndex(const std::vector<std::string>& slots) {
    std::string text = "[MACRO_LIST]\r\n";
    for (std::size_t k = 0; k < slots.size(); ++k) text += std::to_string(k) + "=" + slots[k] + "\r\n";
    WriteBytes(index(), text);
  }

  ScratchDir dir;
  test::FaultyFileIo io;
  MacroFiles files{dir.path() + "/", io};
};

std::string Hex(const MacroEventBlock& events) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  unsigned sum = 0;
  for (const MacroEvent& e : events) {
    for (const std::uint8_t b : {e.type, e.code, e.extra}) {
      hex += kDigits[b >> 4];
      hex += kDigits[b & 0xF];
      sum += b;
    }
  }
  hex += kDigits[(sum >> 4) & 0xF];
  hex += kDigits[sum & 0xF];
  return hex;
}

TEST(MacroEventTest, EventsHaveTheirStoredBytes) {
  struct Case {
    MacroEvent event;
    std::uint8_t type, code, extra;
  };
  const std::vector<Case> cases = {
      {MacroEvent::Delay(1500 / kDelayUnitMs), 0x06, 0x96, 0x00},
      {MacroEvent::Delay(6553), 0x06, 0x99, 0x19},
      {MacroEvent::Key(0x04, true), 0x84, 0x04, 0x00},
      {MacroEvent::Key(0x04, false), 0x04, 0x04, 0x00},
      {MacroEvent::MouseButton(kMacroMiddleButton, true), 0x81, 0x04, 0x00},
      {MacroEvent::MouseButton(kMacroMiddleButton, false), 0x01, 0x04, 0x00},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.event, (MacroEvent{c.type, c.code, c.extra}));
  }
  EXPECT_EQ(MacroEvent::Delay(6553).DelayMs(), 65530);
}

TEST(MacroEventTest, OnlyKeyMouseAndDelayEventsAreListed) {
  for (int type = 0; type < 256; ++type) {
    const MacroEvent event{static_cast<std::uint8_t>(type), 1, 0};
    const int t = type & 0x7F;
    const bool listed = t == 1 || t == 2 || t == 3 || t == 4 || t == 6;
    EXPECT_EQ(event.IsListed(), listed) << type;
  }
  EXPECT_FALSE(MacroEvent{}.IsListed());
  MacroEventBlock block{};
  block[0] = MacroEvent::Key(4, true);
  block[2] = MacroEvent{0x05, 1, 1};
  block[5] = MacroEvent::Delay(3);
  block[62] = MacroEvent{0x82, 9, 0};
  EXPECT_EQ(CountListedEvents(block), 3);
}

TEST_F(MacroFilesTest, SaveWritesTheKeysInOrderInOneReplacement) {
  MacroData macro;
  macro.name = "Two";
  macro.events[0] = MacroEvent::Key(0x04, true);
  macro.events[1] = MacroEvent::Key(0x04, false);
  macro.count = 2;
  macro.LoopTime = 3;
  macro.LoopType = kLoopTimes;
  macro.DelayType = kDelayFixed;
  ASSERT_TRUE(files.SaveMacro(macro).ok());
  EXPECT_EQ(io.replaces, 1);

  const std::string hex = "840400040400" + std::string(183 * 2, '0') + "90";
  ASSERT_EQ(hex.size(), 380u);
  EXPECT_EQ(ReadBytes(file_of("Two")), "[Setting]\r\n"
                                       "MacroFilePath=" + file_of("Two") + "\r\n"
                                       "LoopTime=3\r\n"
                                       "LoopType=0\r\n"
                                       "DelayType=1\r\n"
                                       "Count=2\r\n"
                                       "MacroSetting_0=" + hex + "\r\n");
}

TEST_F(MacroFilesTest, SaveKeepsWhatAnExistingFileHolds) {
  WriteBytes(file_of("Old"), "[Setting]\r\nCount=9\r\nNote=kept\r\n[Other]\r\nx=1\r\n");
  MacroData macro;
  macro.name = "Old";
  ASSERT_TRUE(files.SaveMacro(macro).ok());
  EXPECT_EQ(ReadBytes(file_of("Old")), "[Setting]\r\nCount=0\r\nNote=kept\r\n"
                                       "MacroFilePath=" + file_of("Old") + "\r\n"
                                       "LoopTime=1\r\nLoopType=2\r\nDelayType=2\r\n"
                                       "MacroSetting_0=" + Hex({}) + "\r\n"
                                       "[Other]\r\nx=1\r\n");
}

TEST_F(MacroFilesTest, LoadReadsWhatSaveWrote) {
  MacroData saved;
  saved.name = "Round";
  saved.events[0] = MacroEvent::MouseButton(kMacroLeftButton, true);
  saved.events[1] = MacroEvent::Delay(12);
  saved.events[2] = MacroEvent::MouseButton(kMacroLeftButton, false);
  saved.count = 3;
  saved.LoopTime = 255;
  saved.LoopType = kLoopSecondMode;
  saved.DelayType = kDelayMeasured;
  ASSERT_TRUE(files.SaveMacro(saved).ok());
  MacroData loaded;
  ASSERT_TRUE(files.LoadMacro("Round", loaded).ok());
  EXPECT_EQ(loaded, saved);
}

TEST_F(MacroFilesTest, AMissingFileLoadsAsDefaultsWithoutTheEventsShownBefore) {
  MacroData macro;
  macro.name = "Shown before";
  macro.events[0] = MacroEvent::Key(0x05, true);
  macro.count = 1;
  macro.LoopTime = 7;
  ASSERT_TRUE(files.LoadMacro("Absent", macro).ok());
  EXPECT_EQ(macro.name, "Absent");
  EXPECT_EQ(macro.events, MacroEventBlock{});
  EXPECT_EQ(macro.count, 0);
  EXPECT_EQ(macro.LoopTime, 1);
  EXPECT_EQ(macro.LoopType, 0);
  EXPECT_EQ(macro.DelayType, 2);
}

TEST_F(MacroFilesTest, LoadCountsTheListedEventsAndTakesValuesAsRead) {
  MacroEventBlock events{};
  events[0] = MacroEvent::Key(0x04, true);
  events[1] = MacroEvent{0x05, 0x01, 0x02};  // kept, never listed
  events[3] = MacroEvent::Key(0x04, false);  // after an empty slot
  events[62] = MacroEvent{0x83, 0x02, 0x00};
  WriteBytes(file_of("Foreign"), "[Setting]\r\nLoopTime=999\r\nLoopType=-4\r\nDelayType=x\r\n"
                                 "Count=50\r\nMacroSetting_0=" + Hex(events) + "\r\n");
  MacroData macro;
  ASSERT_TRUE(files.LoadMacro("Foreign", macro).ok());
  EXPECT_EQ(macro.events, events);
  EXPECT_EQ(macro.count, 3);
  EXPECT_EQ(macro.LoopTime, 999);
  EXPECT_EQ(macro.LoopType, -4);
  EXPECT_EQ(macro.DelayType, 0);
}

TEST_F(MacroFilesTest, AMalformedEventBlockLoadsAsNoEvents) {
  MacroEventBlock events{};
  events[0] = MacroEvent::Key(0x04, true);
  std::string bad_checksum = Hex(events);
  bad_checksum.back() = bad_checksum.back() == '0' ? '1' : '0';
  for (const std::string& value : {bad_checksum, Hex(events).substr(2), std::string("zz")}) {
    WriteBytes(file_of("Bad"), "[Setting]\r\nMacroSetting_0=" + value + "\r\n");
    MacroData macro;
    macro.events[5] = MacroEvent::Delay(1);
    ASSERT_TRUE(files.LoadMacro("Bad", macro).ok());
    EXPECT_EQ(macro.events, MacroEventBlock{}) << value;
    EXPECT_EQ(macro.count, 0);
  }
}

TEST_F(MacroFilesTest, CreateWritesAnEmptyMacroAndTheNextFreeSlot) {
  for (const std::string name : {"First", "Second", "Third"}) {
    MacroData macro;
    const MacroOutcome created = files.CreateMacro(name, macro);
    ASSERT_TRUE(created.ok()) << name;
    EXPECT_EQ(macro.name, name);
    EXPECT_EQ(macro.events, MacroEventBlock{});
    EXPECT_EQ(macro.LoopType, kLoopNone);
  }
  EXPECT_EQ(ReadBytes(index()), "[MACRO_LIST]\r\n0=First\r\n1=Second\r\n2=Third\r\n");
  EXPECT_EQ(ReadBytes(file_of("Second")), "[Setting]\r\n"
                                          "MacroFilePath=" + file_of("Second") + "\r\n"
                                          "LoopTime=1\r\nLoopType=2\r\nDelayType=2\r\nCount=0\r\n"
                                          "MacroSetting_0=" + std::string(380, '0') + "\r\n");
  MacroData macro;
  const MacroOutcome fourth = files.CreateMacro("Fourth", macro);
  EXPECT_EQ(fourth.slot, 3);
  EXPECT_EQ(files.ReadMacroList(), (std::vector<std::string>{"First", "Second", "Third", "Fourth"}));
  EXPECT_EQ(files.CountMacros(), 4);
}

TEST_F(MacroFilesTest, DeletingAMacroMovesTheLaterOnesUp) {
  WriteIndex({"A", "B", "C"});
  WriteBytes(index(), ReadBytes(index()) + "[Device]\r\nSetting=1\r\n");
  for (const std::string name : {"A", "B", "C"}) WriteBytes(file_of(name), "[Setting]\r\n");
  ASSERT_TRUE(files.DeleteMacro("B").ok());
  EXPECT_FALSE(Exists(file_of("B")));
  EXPECT_TRUE(Exists(file_of("C")));
  std::string expected = "[MACRO_LIST]\r\n0=A\r\n1=C\r\n";
  for (int k = 2; k < 15; ++k) expected += std::to_string(k) + "=\r\n";
  EXPECT_EQ(ReadBytes(index()), expected + "[Device]\r\nSetting=1\r\n");
  EXPECT_EQ(files.FindMacroSlot("C"), 1);
  EXPECT_EQ(files.FindMacroSlot("B"), -1);
}

TEST_F(MacroFilesTest, RewriteOfAFreshIndexListsAllFifteenKeysInOneReplacement) {
  ASSERT_TRUE(files.RewriteMacroList({"x", "y"}).ok());
  EXPECT_EQ(io.replaces, 1);
  std::string expected = "[MACRO_LIST]\r\n0=x\r\n1=y\r\n";
  for (int k = 2; k < 15; ++k) expected += std::to_string(k) + "=\r\n";
  EXPECT_EQ(ReadBytes(index()), expected);
}

TEST_F(MacroFilesTest, NamesAreFoundExactly) {
  WriteIndex({"Alpha", "MyMacro", "Ström"});
  EXPECT_EQ(files.FindMacroSlot("MyMacro"), 1);
  EXPECT_EQ(files.FindMacroSlot("mymacro"), -1);
  EXPECT_EQ(files.FindMacroSlot("Ström"), 2);
  EXPECT_EQ(files.FindMacroSlot("STRÖM"), -1);
  EXPECT_EQ(files.FindMacroSlot(""), -1);
}

TEST_F(MacroFilesTest, ASixteenthMacroIsRefusedWithoutTouchingAnyFile) {
  std::vector<std::string> names;
  for (int k = 0; k < 15; ++k) names.push_back("M" + std::to_string(k));
  WriteIndex(names);
  const auto before = Tree(dir.path());
  MacroData macro;
  macro.name = "unchanged";
  EXPECT_EQ(files.CreateMacro("Sixteen", macro).result, MacroResult::kFull);
  EXPECT_EQ(files.AddMacroName("Sixteen").result, MacroResult::kFull);
  EXPECT_EQ(Tree(dir.path()), before);
  EXPECT_EQ(macro.name, "unchanged");
  EXPECT_EQ(io.replaces, 0);
}

TEST_F(MacroFilesTest, AListedNameIsNeverCreatedAgainButALeftoverFileIsTakenOver) {
  WriteIndex({"Listed"});  // an entry without a file
  const auto before = Tree(dir.path());
  MacroData macro;
  EXPECT_EQ(files.CreateMacro("Listed", macro).result, MacroResult::kExists);
  EXPECT_EQ(Tree(dir.path()), before);

  // A file no list shows, as a writer stopped between file and index leaves.
  WriteBytes(file_of("Taken"), "[Setting]\r\nLoopTime=9\r\nStray=1\r\n");
  const MacroOutcome taken = files.CreateMacro("Taken", macro);
  ASSERT_TRUE(taken.ok());
  EXPECT_EQ(taken.slot, 1);
  EXPECT_EQ(ReadBytes(file_of("Taken")).find("Stray"), std::string::npos);  // a fresh macro
  MacroData loaded;
  ASSERT_TRUE(files.LoadMacro("Taken", loaded).ok());
  EXPECT_EQ(loaded.LoopTime, 1);
  // Case matters on this file system.
  EXPECT_TRUE(files.CreateMacro("taken", macro).ok());
}

TEST_F(MacroFilesTest, DeletingAnUnlistedNameRemovesOnlyItsLeftoverFile) {
  WriteIndex({"Keep"});
  WriteBytes(file_of("Keep"), "[Setting]\r\n");
  WriteBytes(file_of("Leftover"), "[Setting]\r\n");
  const std::string index_before = ReadBytes(index());
  EXPECT_TRUE(files.DeleteMacro("Leftover").ok());
  EXPECT_FALSE(Exists(file_of("Leftover")));
  EXPECT_EQ(files.DeleteMacro("Leftover").result, MacroResult::kNotFound);
  EXPECT_EQ(ReadBytes(index()), index_before);
  EXPECT_TRUE(Exists(file_of("Keep")));
}

// U+1F600: one character, two UTF-16 units.
constexpr std::string_view kTwoUnits = "\xF0\x9F\x98\x80";

std::string Repeat(std::string_view s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

struct NameCase {
  std::string name;
  bool valid;
};

TEST_F(MacroFilesTest, NewNamesMustBePlainFileNamesThatSurviveTheIndex) {
  const std::vector<NameCase> cases = {
      {"", false},
      {".", false},
      {"..", false},
      {"a/b", false},
      {"../outside", false},
      {"/etc/passwd", false},
      {"line\nbreak", false},
      {"line\rbreak", false},
      {"tab\there", false},
      {std::string("nul\0x", 5), false},
      {"del\x7F", false},
      {" leading", false},
      {"trailing ", false},
      {"\"quoted\"", false},
      {"'quoted'", false},
      {"\xFF\xFE", false},                    // not UTF-8
      {"\xED\xA0\x80", false},                // a lone surrogate
      {"ABCDEFGHIJKLMNOPQRSTU", false},       // 21 units
      {Repeat(kTwoUnits, 11), false},         // 22 units
      {"ABCDEFGHIJKLMNOPQRST", true},         // 20 units
      {Repeat(kTwoUnits, 10), true},          // 20 units
      {"...", true},
      {".hidden", true},
      {"a b", true},
      {"x=y", true},
      {"[s]", true},
      {";c", true},
      {"\"half", true},
      {"Stro\xCC\x88m \xE2\x82\xAC", true},
      {"back\\slash", true},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidNewMacroName(c.name), c.valid);
    ScratchDir scratch;
    std::filesystem::create_directories(scratch / "MacroDB");
    MacroFiles fresh(scratch.path(), SystemFileIo());
    MacroData macro;
    const MacroOutcome outcome = fresh.CreateMacro(c.name, macro);
    if (c.valid) {
      ASSERT_TRUE(outcome.ok());
      EXPECT_EQ(fresh.ReadMacroList(), std::vector<std::string>{c.name});
      EXPECT_TRUE(Exists(scratch / ("MacroDB/" + c.name + ".MSMACRO")));
      EXPECT_TRUE(fresh.LoadMacro(c.name, macro).ok());
    } else {
      EXPECT_EQ(outcome.result, MacroResult::kInvalidName);
      EXPECT_EQ(Tree(scratch.path()), (std::map<std::string, std::string>{
                                          {scratch / "MacroDB", "<dir>"}}));
    }
  }
}

TEST_F(MacroFilesTest, HostileIndexEntriesNeverReachTheFileSystem) {
  std::filesystem::create_directories(macro_dir() + "/sub");
  WriteBytes(dir / "outside.MSMACRO", "[Setting]\r\nLoopTime=5\r\n");
  WriteBytes(macro_dir() + "/sub/inner.MSMACRO", "[Setting]\r\nLoopTime=6\r\n");
  WriteBytes(macro_dir() + "/..MSMACRO", "x");   // what "." would name
  WriteBytes(macro_dir() + "/...MSMACRO", "x");  // what ".." would name
  const std::vector<std::string> hostile = {"../outside", "sub/inner", "..", ".", "ctl\x01",
                                            "/abs"};
  WriteIndex(hostile);
  const auto before = Tree(dir.path());

  EXPECT_EQ(files.ReadMacroList(), hostile);
  for (const std::string& name : hostile) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(files.MacroFilePath(name).has_value());
    MacroData macro;
    macro.LoopTime = 42;
    EXPECT_EQ(files.LoadMacro(name, macro).result, MacroResult::kInvalidName);
    EXPECT_EQ(macro.LoopTime, 42);
    macro.name = name;
    EXPECT_EQ(files.SaveMacro(macro).result, MacroResult::kInvalidName);
  }
  EXPECT_EQ(Tree(dir.path()), before);
  EXPECT_EQ(io.replaces, 0);

  // Deleting such an entry only takes it out of the index.
  for (const std::string& name : hostile) ASSERT_TRUE(files.DeleteMacro(name).ok()) << name;
  EXPECT_TRUE(files.ReadMacroList().empty());
  auto after = Tree(dir.path());
  auto expected = before;
  after.erase(index());
  expected.erase(index());
  EXPECT_EQ(after, expected);
}

TEST_F(MacroFilesTest, AListTheIndexCannotHoldIsRefusedBeforeAnythingIsDeleted) {
  WriteIndex({"Keep"});
  WriteBytes(file_of("Keep"), "[Setting]\r\n");
  const auto before = Tree(dir.path());
  const std::vector<std::string> sixteen(16, "n");
  EXPECT_EQ(files.RewriteMacroList(sixteen).result, MacroResult::kFull);
  for (const std::string& bad : {std::string(), std::string("a\r\n5=b")}) {
    EXPECT_EQ(files.RewriteMacroList({"x", bad}).result, MacroResult::kInvalidName);
  }
  EXPECT_EQ(Tree(dir.path()), before);
}

TEST_F(MacroFilesTest, DeletingAMacroWhoseFileIsAlreadyGoneStillUpdatesTheIndex) {
  WriteIndex({"Gone", "Here"});
  ASSERT_TRUE(files.DeleteMacro("Gone").ok());
  EXPECT_EQ(files.ReadMacroList(), std::vector<std::string>{"Here"});
}

TEST_F(MacroFilesTest, AFileThatCannotBeRemovedLeavesTheIndexAsItWas) {
  WriteIndex({"Stuck", "Other"});
  std::filesystem::create_directories(file_of("Stuck") + "/inside");
  const std::string index_before = ReadBytes(index());
  const MacroOutcome outcome = files.DeleteMacro("Stuck");
  EXPECT_EQ(outcome.result, MacroResult::kWriteFailed);
  EXPECT_NE(outcome.status.reason().find("Stuck.MSMACRO"), std::string::npos) << outcome.status.reason();
  EXPECT_EQ(ReadBytes(index()), index_before);
}

TEST_F(MacroFilesTest, WithoutAMacroFolderEveryWriteReportsItsFailure) {
  ScratchDir empty;
  MacroFiles nowhere(empty.path(), SystemFileIo());
  MacroData macro;
  macro.name = "Lost";
  const MacroOutcome create = nowhere.CreateMacro("Lost", macro);
  EXPECT_EQ(create.result, MacroResult::kWriteFailed);
  EXPECT_FALSE(create.status.reason().empty());
  EXPECT_EQ(nowhere.SaveMacro(macro).result, MacroResult::kWriteFailed);
  EXPECT_EQ(nowhere.AddMacroName("Lost").result, MacroResult::kWriteFailed);
  EXPECT_EQ(nowhere.RewriteMacroList({"Lost"}).result, MacroResult::kWriteFailed);
  EXPECT_TRUE(std::filesystem::is_empty(empty.path()));
  // Reads give their defaults.
  EXPECT_EQ(nowhere.CountMacros(), 0);
  EXPECT_TRUE(nowhere.LoadMacro("Lost", macro).ok());
  EXPECT_EQ(macro.LoopTime, 1);
}

TEST_F(MacroFilesTest, ACreateWhoseIndexCannotBeWrittenTakesItsFileBack) {
  WriteIndex({"A"});
  io.FailAfterWrites(1);  // the new macro's file, then not the index
  MacroData macro;
  const MacroOutcome outcome = files.CreateMacro("New", macro);
  EXPECT_EQ(outcome.result, MacroResult::kWriteFailed);
  EXPECT_NE(outcome.status.reason().find("disk full"), std::string::npos);
  EXPECT_FALSE(Exists(file_of("New")));
  EXPECT_TRUE(macro.name.empty());

  io.StopFailing();
  EXPECT_TRUE(files.CreateMacro("New", macro).ok());
  EXPECT_EQ(files.FindMacroSlot("New"), 1);
}

TEST_F(MacroFilesTest, AFailedSaveIsReportedAndTheOldFileStaysWhole) {
  MacroData macro;
  macro.name = "Kept";
  macro.LoopTime = 4;
  ASSERT_TRUE(files.SaveMacro(macro).ok());
  const std::string before = ReadBytes(file_of("Kept"));
  io.FailAfterWrites(0, ".MSMACRO");
  macro.LoopTime = 5;
  const MacroOutcome outcome = files.SaveMacro(macro);
  EXPECT_EQ(outcome.result, MacroResult::kWriteFailed);
  EXPECT_FALSE(outcome.status.reason().empty());
  EXPECT_EQ(ReadBytes(file_of("Kept")), before);
}

TEST_F(MacroFilesTest, NoticesGoToThePresentAgentOnly) {
  WriteIndex({"A", "B"});
  RecordingAgent agent;
  NotifyMacroChanged(agent, files.FindMacroSlot("B"));
  NotifyMacroChanged(agent, files.FindMacroSlot("Unknown"));
  using test::Sent;
  EXPECT_EQ(agent.sent, (std::vector<Sent>{{WM_AGENT_MACRO_CHANGED, 1, 0},
                                           {WM_AGENT_MACRO_CHANGED, -1, 0}}));

  SettingsBlock settings;
  const auto assign = [&](int p, int b, std::uint8_t function, std::u16string_view name) {
    ButtonRecord& button = settings.Profiles[p].Buttons[b];
    button.ButtonFunc = function;
    std::copy(name.begin(), name.end(), button.MacroName.begin());
  };
  assign(2, 0, 11, u"B");
  assign(0, 3, 11, u"B");
  assign(1, 1, 11, u"b");     // another name
  assign(3, 5, 16, u"B");     // no longer a macro assignment
  assign(4, 11, 11, u"B");
  agent.sent.clear();
  AnnounceMacroLoop(agent, settings, "B");
  EXPECT_EQ(agent.sent, (std::vector<Sent>{{WM_AGENT_MACRO_ASSIGNED, 0, 3},
                                           {WM_AGENT_MACRO_ASSIGNED, 2, 0},
                                           {WM_AGENT_MACRO_ASSIGNED, 4, 11}}));

  agent.present = false;
  agent.sent.clear();
  NotifyMacroChanged(agent, files.FindMacroSlot("A"));
  AnnounceMacroLoop(agent, settings, "B");
  EXPECT_TRUE(agent.sent.empty());
}

TEST(EventRowTest, RowsShowWhatTheEditorLists) {
  const SkinStringFiles english(kEnglishSkin, SystemFileIo());
  const std::string key_indent(15, ' ');
  const std::string delay_indent(46, ' ');
  MacroEventBlock events{};
  events[0] = MacroEvent::Key(0x1C, true);
  events[1] = MacroEvent::Delay(150);
  events[2] = MacroEvent::Key(0x1C, false);
  events[4] = MacroEvent::MouseButton(kMacroLeftButton, true);   // after an empty slot
  events[5] = MacroEvent::MouseButton(kMacroRightButton, false);
  events[6] = MacroEvent::MouseButton(kMacroMiddleButton, true);
  events[7] = MacroEvent{0x82, 8, 0};  // another button code: the label of its type
  events[8] = MacroEvent{0x05, 4, 0};  // never listed
  events[9] = MacroEvent::Key(0x32, false);  // a usage without a key code
  events[10] = MacroEvent::Delay(0);
  events[62] = MacroEvent::Delay(0xFFFF);
  const std::vector<EventRow> expected = {
      {key_indent + "Y", kRowPress},
      {delay_indent + "1500", kRowPlain},
      {key_indent + "Y", kRowRelease},
      {key_indent + "Left Click", kRowPress},
      {key_indent + "Right Click", kRowRelease},
      {key_indent + "Middle Click", kRowPress},
      {key_indent + "Right Click", kRowPress},
      {key_indent, kRowRelease},
      {delay_indent + "0", kRowPlain},
      {delay_indent + "655350", kRowPlain},
  };
  EXPECT_EQ(EventRows(events, english), expected);

  const SkinStringFiles german(kGermanSkin, SystemFileIo());
  EXPECT_EQ(MakeEventRow(events[0], german), (EventRow{key_indent + "Z", kRowPress}));
  EXPECT_EQ(MakeEventRow(events[4], german), (EventRow{key_indent + "Linksklick", kRowPress}));
  EXPECT_FALSE(MakeEventRow(MacroEvent{}, german).has_value());
}

}  // namespace
}  // namespace vantix
