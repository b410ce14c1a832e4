#include "settings/profile_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_schema.h"
#include "settings/text_codec.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

void SetName(ButtonRecord& button, std::u16string_view name) {
  button.MacroName.fill(0);
  std::copy(name.begin(), name.end(), button.MacroName.begin());
}

std::u16string NameOf(const ButtonRecord& button) {
  return std::u16string(button.MacroName.data());
}

// Every field away from its default, with negative integers, 0xFF bytes and
// names up to the full 259 units.
SettingsBlock BusyBlock() {
  SettingsBlock block;
  InitSettings(block);
  block.CurrentProfile = 3;
  std::uint32_t seed = 12345;
  const auto next = [&seed]() {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int i = 0; i < kProfileCount; ++i) {
    ProfileRecord& p = block.Profiles[i];
    int n = 0;
    for (const ProfileField& field : kProfileFields) p.*field.member = (n++ % 3 == 0) ? -1 - i : static_cast<std::int32_t>(next());
    for (DpiStage& s : p.Stages) s = DpiStage{static_cast<std::int32_t>(next()), -7, 135, 1};
    for (int b = 0; b < kButtonCount; ++b) {
      ButtonRecord& button = p.Buttons[b];
      button.ButtonID = 0xFF;
      button.ButtonFunc = static_cast<std::uint8_t>(next());
      button.LoopNumber = static_cast<std::uint8_t>(b == 0 ? 0xFF : next());
      button.KeyNumber = static_cast<std::uint8_t>(next());
      for (auto& byte : button.KeyEvents) byte = static_cast<std::uint8_t>(next());
      std::u16string name = u"Makro \u00C4\u00D6 " + Utf8ToUtf16(std::to_string(i * 100 + b));
      if (b == 5) name.assign(kMacroNameUnits - 1, u'\u20AC');
      if (b == 6) name += u"\U0001F3AE";  // outside the BMP: a surrogate pair
      SetName(button, name);
    }
  }
  return block;
}

SettingsBlock Load(const std::string& folder) {
  SettingsBlock scratch;
  SettingsBlock block;
  InitSettings(block);
  ProfileStore(folder, scratch, SystemFileIo()).LoadProfiles(block);
  return block;
}

TEST(ProfileStoreTest, SaveThenLoadRoundTripsEveryField) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  EXPECT_EQ(Load(dir.path() + "/"), live);
}

TEST(ProfileStoreTest, FreshFileHasTheAgentsKeyOrder) {
  ScratchDir dir;
  SettingsBlock init;
  InitSettings(init);
  SettingsBlock live;
  ValidateSettings(init, live);
  ResetAllProfiles(live);
  SetName(live.Profiles[0].Buttons[1], u"Gr\u00FC\u00DFe");
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  EXPECT_EQ(ReadBytes(dir / "RSProfile1.pfd"),
            ReadBytes(std::string(VANTIX_TEST_DATA) + "/factory_RSProfile1.pfd"));
}

TEST(ProfileStoreTest, MissingFilesLoadAsDefaultsThatValidationRepairs) {
  ScratchDir dir;
  SettingsBlock live;
  ProfileStore store(dir.path() + "/nowhere/", live, SystemFileIo());
  EXPECT_EQ(store.ReloadProfiles(), 0);
  for (const ProfileRecord& p : live.Profiles) {
    EXPECT_EQ(p.LedColor1, 0);  // 0 is no unset marker, so it stays black
    EXPECT_EQ(p.LedMode1, -1);
    EXPECT_EQ(p.PollingRate, 2);
    for (const DpiStage& s : p.Stages) EXPECT_EQ(s.Linked, 0);
    for (int b = 0; b < kButtonCount; ++b) {
      EXPECT_EQ(p.Buttons[b].ButtonID, 0xFF);
      EXPECT_EQ(p.Buttons[b].LoopNumber, 0xFF);
      EXPECT_EQ(p.Buttons[b].KeyNumber, 0xFF);
      EXPECT_EQ(p.Buttons[b].ButtonFunc, kFallbackFunction[b]);
    }
  }
}

TEST(ProfileStoreTest, LoadReadsWhatOtherWritersWrite) {
  ScratchDir dir;
  // Key case, spacing, quotes and a broken struct as another program may leave them.
  WriteBytes(dir / "RSProfile1.pfd",
             "[group]\nGROUPID = 2\n  ACCELERATION=3  \npollingrate=\"4\"\n"
             "ButtonAssigned_3=" + std::string(378, 'A') + "\n"
             "[BUTTONASSIGNED_2]\nmacroname = Hello \n");
  WriteBytes(dir / "RSProfile5.pfd", "[GROUP]\r\nGroupID=4\r\n");
  SettingsBlock block;
  InitSettings(block);
  block.Profiles[0].Buttons[2].KeyEvents.fill(0x5A);
  SettingsBlock scratch;
  ProfileStore(dir.path() + "/", scratch, SystemFileIo()).LoadProfiles(block);

  EXPECT_EQ(block.CurrentProfile, 4);  // the last file read wins
  EXPECT_EQ(block.Profiles[0].Acceleration, 3);
  EXPECT_EQ(block.Profiles[0].PollingRate, 4);
  EXPECT_EQ(NameOf(block.Profiles[0].Buttons[1]), u"Hello");
  // 378 characters without a checksum leave the block as it was.
  EXPECT_EQ(block.Profiles[0].Buttons[2].KeyEvents[0], 0x5A);
}

TEST(ProfileStoreTest, WindowsEncodedFilesLoadAndKeepTheirEncoding) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  // Profile 2 as UTF-16LE with a mark, as Windows writes Unicode INI files.
  const std::string utf8 = ReadBytes(dir / "RSProfile2.pfd");
  TextEncoding utf16 = TextEncoding::Utf16Le;
  WriteBytes(dir / "RSProfile2.pfd", EncodeFileText(utf8, utf16));
  EXPECT_EQ(Load(dir.path() + "/"), live);

  live.Profiles[1].DPI = 4;
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  const std::string rewritten = ReadBytes(dir / "RSProfile2.pfd");
  ASSERT_GE(rewritten.size(), 2u);
  EXPECT_EQ(rewritten.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Load(dir.path() + "/").Profiles[1].DPI, 4);
}

TEST(ProfileStoreTest, AnAnsiNameIsReadInWindows1252) {
  ScratchDir dir;
  WriteBytes(dir / "RSProfile1.pfd", "[ButtonAssigned_1]\r\nMacroName=Gr\xFC\xDF\x80\r\n");
  EXPECT_EQ(NameOf(Load(dir.path() + "/").Profiles[0].Buttons[0]), u"Gr\u00FC\u00DF\u20AC");
}

TEST(ProfileStoreTest, SaveUpdatesExistingFilesKeyByKey) {
  ScratchDir dir;
  const std::string path = dir / "RSProfile1.pfd";
  WriteBytes(path, "; written by hand\r\n[GROUP]\r\nVendorKey=7\r\nDPI=3\r\n[Extra]\r\nfoo=bar\r\n");
  SettingsBlock live = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  const IniSnapshot file = IniFile(path, SystemFileIo()).Load();
  EXPECT_EQ(file.ReadInt(0, "GROUP", "VendorKey"), 7);
  EXPECT_EQ(file.ReadString("Extra", "foo"), "bar");
  EXPECT_EQ(ReadBytes(path).substr(0, 38), "; written by hand\r\n[GROUP]\r\nVendorKey=");
  EXPECT_EQ(Load(dir.path() + "/"), live);
}

TEST(ProfileStoreTest, SavingTheSameValuesLeavesFilesUntouched) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  ProfileStore store(dir.path() + "/", live, SystemFileIo());
  ASSERT_TRUE(store.SaveProfiles().ok());
  struct stat before {};
  ASSERT_EQ(::stat((dir / "RSProfile3.pfd").c_str(), &before), 0);
  ASSERT_TRUE(store.SaveProfiles().ok());
  struct stat after {};
  ASSERT_EQ(::stat((dir / "RSProfile3.pfd").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);  // a rewrite would have renamed a new file in
}

TEST(ProfileStoreTest, AFailedFileIsReportedAndTheOthersAreStillSaved) {
  ScratchDir dir;
  WriteBytes(dir / "RSProfile2.pfd", "[GROUP]\r\nDPI=5\r\n");
  SettingsBlock live = BusyBlock();
  test::FaultyFileIo io;
  io.FailAfterWrites(0, "RSProfile2.pfd");
  const Status status = ProfileStore(dir.path() + "/", live, io).SaveProfiles();
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.reason().find("RSProfile2.pfd"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "RSProfile2.pfd"), "[GROUP]\r\nDPI=5\r\n");
  EXPECT_EQ(Load(dir.path() + "/").Profiles[4], live.Profiles[4]);
}

TEST(ProfileStoreTest, SaveIntoAMissingFolderFails) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  EXPECT_FALSE(ProfileStore(dir.path() + "/missing/", live, SystemFileIo()).SaveProfiles().ok());
}

TEST(ProfileStoreTest, AnOversizedProfileLoadsAsDefaultsAndTheNextSaveMovesItAside) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  std::string garbage(kMaxDataFileBytes + 4096, 'G');
  WriteBytes(dir / "RSProfile2.pfd", garbage);

  SettingsBlock loaded;
  InitSettings(loaded);
  SettingsBlock unused;
  const ProfileLoad load =
      ProfileStore(dir.path() + "/", unused, SystemFileIo()).LoadProfiles(loaded);
  EXPECT_EQ(load.damaged, std::vector<std::string>{dir / "RSProfile2.pfd"});
  EXPECT_EQ(loaded.Profiles[1].PollingRate, kUnset);  // the load default
  EXPECT_EQ(loaded.Profiles[2], live.Profiles[2]);
  ProfileLoad reloaded;
  ProfileStore(dir.path() + "/", unused, SystemFileIo()).ReloadProfiles(&reloaded);
  EXPECT_EQ(reloaded.damaged, load.damaged);

  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  EXPECT_EQ(Load(dir.path() + "/").Profiles[1], live.Profiles[1]);
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("RSProfile2.pfd.damaged-", 0) != 0) continue;
    ++aside;
    EXPECT_EQ(ReadBytes(entry.path().string()), garbage);
  }
  EXPECT_EQ(aside, 1);
}

TEST(ProfileStoreTest, SavingOneProfileWritesOnlyItsFileAndKeepsTheCurrentProfile) {
  ScratchDir dir;
  SettingsBlock live = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", live, SystemFileIo()).SaveProfiles().ok());
  std::array<std::string, kProfileCount> before;
  for (int i = 0; i < kProfileCount; ++i) before[i] = ReadBytes(ProfilePath(dir.path() + "/", i));

  SettingsBlock changed = live;
  changed.CurrentProfile = 0;  // stale: another writer's choice is on disk
  changed.Profiles[2].PollingRate = 6;
  changed.Profiles[3].PollingRate = 6;  // not the profile being saved
  ASSERT_TRUE(ProfileStore(dir.path() + "/", changed, SystemFileIo()).SaveProfile(2).ok());
  for (int i = 0; i < kProfileCount; ++i) {
    if (i == 2) continue;
    EXPECT_EQ(ReadBytes(ProfilePath(dir.path() + "/", i)), before[i]) << i;
  }
  const SettingsBlock loaded = Load(dir.path() + "/");
  EXPECT_EQ(loaded.Profiles[2].PollingRate, 6);
  EXPECT_EQ(loaded.CurrentProfile, 3);

  // A new file still gets its current profile first, as the agent expects.
  ScratchDir fresh;
  ASSERT_TRUE(ProfileStore(fresh.path() + "/", changed, SystemFileIo()).SaveProfile(4).ok());
  EXPECT_EQ(ReadBytes(fresh / "RSProfile5.pfd").rfind("[GROUP]\r\nGroupID=0\r\n", 0), 0u);
  EXPECT_FALSE(test::Exists(fresh / "RSProfile1.pfd"));
}

TEST(ProfileExportTest, ExportThenImportCopiesAProfileExceptLoopNumbers) {
  ScratchDir dir;
  SettingsBlock block = BusyBlock();
  const std::string path = dir / "profile3.pfd";
  ASSERT_TRUE(ExportProfile(path, block.Profiles[2], SystemFileIo()).ok());

  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes.find("GroupID"), std::string::npos);
  EXPECT_EQ(bytes.find("LoopNumber"), std::string::npos);
  EXPECT_EQ(bytes.substr(0, 15), "[GROUP]\r\nGroup=");

  ProfileRecord target = block.Profiles[0];
  ASSERT_TRUE(ImportProfile(path, target, SystemFileIo()).ok());
  for (int b = 0; b < kButtonCount; ++b) {
    SCOPED_TRACE("button " + std::to_string(b + 1));
    EXPECT_EQ(target.Buttons[b].LoopNumber, block.Profiles[0].Buttons[b].LoopNumber);
    std::u16string name = NameOf(block.Profiles[2].Buttons[b]);
    EXPECT_EQ(NameOf(target.Buttons[b]), name.substr(0, 50));  // exported names keep 50 units
    target.Buttons[b].LoopNumber = block.Profiles[2].Buttons[b].LoopNumber;
    SetName(target.Buttons[b], NameOf(block.Profiles[2].Buttons[b]));
  }
  EXPECT_EQ(target, block.Profiles[2]);
}

TEST(ProfileExportTest, ExportOverAProfileFileKeepsTheKeysItDoesNotWrite) {
  ScratchDir dir;
  SettingsBlock block = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", block, SystemFileIo()).SaveProfiles().ok());
  const std::string path = dir / "RSProfile1.pfd";
  block.Profiles[1].DPI = 2;
  ASSERT_TRUE(ExportProfile(path, block.Profiles[1], SystemFileIo()).ok());
  const IniSnapshot file = IniFile(path, SystemFileIo()).Load();
  EXPECT_EQ(file.ReadInt(-9, "GROUP", "GroupID"), 3);
  EXPECT_EQ(file.ReadInt(-9, "ButtonAssigned_2", "LoopNumber"), block.Profiles[0].Buttons[1].LoopNumber);
  EXPECT_EQ(file.ReadInt(-9, "GROUP", "DPI"), 2);
}

TEST(ProfileExportTest, ImportingAProfileFileIgnoresGroupIdAndLoopNumbers) {
  ScratchDir dir;
  SettingsBlock block = BusyBlock();
  ASSERT_TRUE(ProfileStore(dir.path() + "/", block, SystemFileIo()).SaveProfiles().ok());
  ProfileRecord target = block.Profiles[1];
  ASSERT_TRUE(ImportProfile(dir / "RSProfile4.pfd", target, SystemFileIo()).ok());
  EXPECT_EQ(target.DPI, block.Profiles[3].DPI);
  EXPECT_EQ(target.Buttons[7].LoopNumber, block.Profiles[1].Buttons[7].LoopNumber);
  EXPECT_EQ(block.CurrentProfile, 3);
}

TEST(ProfileExportTest, ImportingAFileWithOnlyOneKeyUnsetsFieldsButKeepsKeyBlocks) {
  ScratchDir dir;
  WriteBytes(dir / "sparse.pfd", "[GROUP]\r\nDPIStageNum=-1\r\n");
  SettingsBlock block = BusyBlock();
  ProfileRecord target = block.Profiles[0];
  ASSERT_TRUE(ImportProfile(dir / "sparse.pfd", target, SystemFileIo()).ok());
  for (const ProfileField& field : kProfileFields) EXPECT_EQ(target.*field.member, -1) << field.key;
  for (const DpiStage& s : target.Stages) EXPECT_EQ(s, DpiStage{});
  for (int b = 0; b < kButtonCount; ++b) {
    const ButtonRecord& button = target.Buttons[b];
    EXPECT_EQ(button.ButtonID, 0xFF);
    EXPECT_EQ(button.ButtonFunc, 0xFF);
    EXPECT_EQ(button.KeyNumber, 0xFF);
    EXPECT_EQ(button.LoopNumber, block.Profiles[0].Buttons[b].LoopNumber);
    EXPECT_EQ(button.KeyEvents, block.Profiles[0].Buttons[b].KeyEvents);
    EXPECT_EQ(NameOf(button), u"");
  }
}

TEST(ProfileExportTest, ImportingAFileThatHoldsNoProfileChangesNothing) {
  ScratchDir dir;
  std::string binary = "[GROUP]\r\nPollingRate=3\r\n";
  binary += std::string("\0\x01\xFF\x80", 4);
  std::string huge = "[GROUP]\r\nPollingRate=3\r\n";
  huge.resize(kMaxDataFileBytes + 1, 'x');
  const struct {
    const char* name;
    std::string bytes;  // nothing: no file at all
    const char* reason;
  } cases[] = {
      {"empty.pfd", "", "no profile values"},
      {"other.ini", "[Other]\r\nPollingRate=3\r\n", "no profile values"},
      {"nokeys.pfd", "[GROUP]\r\nUnrelated=1\r\n", "no profile values"},
      {"binary.pfd", binary, "binary"},
      {"huge.pfd", huge, "larger than"},
  };
  SettingsBlock block = BusyBlock();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir / c.name, c.bytes);
    ProfileRecord target = block.Profiles[0];
    const Status status = ImportProfile(dir / c.name, target, SystemFileIo());
    EXPECT_FALSE(status.ok());
    EXPECT_NE(status.reason().find(c.reason), std::string::npos) << status.reason();
    EXPECT_EQ(target, block.Profiles[0]);
  }
  ProfileRecord target = block.Profiles[0];
  EXPECT_FALSE(ImportProfile(dir / "absent.pfd", target, SystemFileIo()).ok());
  EXPECT_FALSE(ImportProfile(dir.path(), target, SystemFileIo()).ok());  // a folder
  EXPECT_EQ(target, block.Profiles[0]);
}

TEST(ProfileExportTest, ExportReportsAFileThatCannotBeWritten) {
  ScratchDir dir;
  const SettingsBlock block = BusyBlock();
  EXPECT_FALSE(ExportProfile(dir / "missing/x.pfd", block.Profiles[0], SystemFileIo()).ok());
  EXPECT_FALSE(ExportProfile(dir.path(), block.Profiles[0], SystemFileIo()).ok());
}

}  // namespace
}  // namespace vantix
