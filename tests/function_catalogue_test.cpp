// Function labels, the text each button shows, the primary-click rule and
// the fallback codes.
#include "assign/function_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "settings/settings_block.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {

// Every function name reads as "<section> <number>", so a label shows where
// it was looked up; the language marker is settable.
class FakeStrings final : public SkinStrings {
 public:
  std::string UiText(std::string_view section, int number) const override {
    ++reads;
    return section == "General" && number == 500 ? marker : std::string();
  }
  std::string GeneralText(std::string_view section, int number) const override {
    ++reads;
    return std::string(section) + " " + std::to_string(number);
  }
  std::string marker;
  mutable int reads = 0;
};

const std::string kEnglishSkin = std::string(VANTIX_TEST_DATA) + "/strings/en";
const std::string kGermanSkin = std::string(VANTIX_TEST_DATA) + "/strings/de";

std::u16string NameOf(const ButtonRecord& record) {
  return std::u16string(record.MacroName.data());
}

TEST(FunctionLabelTest, EachCodeRangeReadsItsSectionCountingFromOne) {
  struct Case {
    int code;
    std::string label;
  };
  const std::vector<Case> cases = {
      {1, "FUNCTION_STRING 1"}, {16, "FUNCTION_STRING 16"}, {17, "BASIC 1"},  {24, "BASIC 8"},
      {25, "ADVANCED 1"},       {38, "ADVANCED 14"},        {39, "MEDIA 1"},  {46, "MEDIA 8"},
      {47, "DPI 1"},            {49, "DPI 3"},              {50, "RATE 1"},   {51, "RATE 2"},
      {52, "SCROLL 1"},         {54, "SCROLL 3"},           {55, "SCROLL 4"}, {300, "SCROLL 249"},
  };
  const FakeStrings strings;
  for (const Case& c : cases) EXPECT_EQ(FunctionLabel(c.code, strings), c.label) << c.code;

  // Below 1 nothing is even read.
  EXPECT_EQ(FunctionLabel(0, strings), "");
  EXPECT_EQ(FunctionLabel(-5, strings), "");
  const int reads = strings.reads;
  FunctionLabel(0, strings);
  EXPECT_EQ(strings.reads, reads);
}

TEST(FunctionLabelTest, ReadsTheSkinsFunctionNamesAndDegradesToEmpty) {
  const SkinStringFiles english(kEnglishSkin, SystemFileIo());
  const SkinStringFiles german(kGermanSkin, SystemFileIo());
  EXPECT_EQ(FunctionLabel(1, english), "Left Click");
  EXPECT_EQ(FunctionLabel(48, english), "DPI Down");
  EXPECT_EQ(FunctionLabel(5, german), "Zur\xC3\xBC" "ck");
  EXPECT_EQ(FunctionLabel(55, english), "");  // SCROLL 4 is not in the file

  const SkinStringFiles missing("/nonexistent/skin", SystemFileIo());
  for (int code = 1; code <= 54; ++code) EXPECT_EQ(FunctionLabel(code, missing), "") << code;
}

TEST(ButtonLabelTest, PlainCodesShowTheirLabelGroupHeadsAndUnknownCodesNothing) {
  const std::set<int> own_label = [] {
    std::set<int> codes = {1, 2, 3, 4, 5, 12, 14};
    for (int c = 16; c <= 54; ++c) codes.insert(c);
    return codes;
  }();
  const std::set<int> special = {6, 7, 11};
  const FakeStrings strings;
  const MacroSlots slots;
  for (int code = 0; code <= 255; ++code) {
    if (special.count(code) != 0) continue;
    ButtonRecord record;
    record.ButtonFunc = static_cast<std::uint8_t>(code);
    const ButtonRecord before = record;
    EXPECT_EQ(ButtonLabel(record, strings, slots),
              own_label.count(code) != 0 ? FunctionLabel(code, strings) : "")
        << code;
    EXPECT_EQ(record, before) << code;
  }
}

ButtonRecord SingleKey(std::uint8_t usage) {
  ButtonRecord record;
  record.ButtonFunc = kSingleKeyFunction;
  record.KeyEvents[0] = usage;
  return record;
}

TEST(ButtonLabelTest, SingleKeyShowsTheKeyNameOrKeyWhenTheUsageIsUnknown) {
  FakeStrings strings;
  const MacroSlots slots;
  struct Case {
    std::uint8_t usage;
    std::string english, german;
  };
  const std::vector<Case> cases = {
      {0x04, "A", "A"},     {0x1C, "Y", "Z"},   {0x2D, "-", "\xC3\x9F"}, {0xE4, "RCtrl", "RStrg"},
      {0x32, "key", "key"}, {0x00, "key", "key"}, {0xFF, "key", "key"},
  };
  for (const Case& c : cases) {
    ButtonRecord record = SingleKey(c.usage);
    strings.marker = "";
    EXPECT_EQ(ButtonLabel(record, strings, slots), c.english) << int{c.usage};
    strings.marker = "GER";
    EXPECT_EQ(ButtonLabel(record, strings, slots), c.german) << int{c.usage};
  }
}

// A combination as the key dialog stores it: the presses in order, then the
// releases in reverse order.
ButtonRecord Combination(const std::vector<std::uint8_t>& usages) {
  ButtonRecord record;
  record.ButtonID = 1;
  record.ButtonFunc = kKeyCombinationFunction;
  record.KeyNumber = static_cast<std::uint8_t>(2 * usages.size());
  std::size_t at = 0;
  const auto put = [&](std::uint8_t usage, std::uint8_t flag) {
    record.KeyEvents[at] = usage;
    record.KeyEvents[at + 1] = 5;
    record.KeyEvents[at + 2] = flag;
    at += 3;
  };
  for (const std::uint8_t usage : usages) put(usage, 0x80);
  for (auto it = usages.rbegin(); it != usages.rend(); ++it) put(*it, 0x00);
  return record;
}

constexpr std::uint8_t kA = 0x04, kB = 0x05, kC = 0x06, kD = 0x07, kE = 0x08, kF = 0x09;
constexpr std::uint8_t kLCtrl = 0xE0, kLShift = 0xE1, kLAlt = 0xE2, kLWin = 0xE3, kRCtrl = 0xE4,
                       kRShift = 0xE5, kRAlt = 0xE6, kRWin = 0xE7;

TEST(ButtonLabelTest, CombinationShowsShiftCtrlWinAltThenTheKey) {
  struct Case {
    std::vector<std::uint8_t> keys;
    std::string english, german;
  };
  const std::vector<Case> cases = {
      {{kLCtrl, kLShift, kA}, "LShift + LCtrl + A", "LUmschalt + LStrg + A"},
      {{kA, kLShift, kLCtrl}, "LShift + LCtrl + A", "LUmschalt + LStrg + A"},
      {{kRAlt, kRWin, kRCtrl, kRShift, 0x1C}, "RShift + RCtrl + RWindows + RAlt + Y",
       "RUmschalt + RStrg + RWin + RAlt + Z"},
      {{kLAlt, kLWin}, "LWindows + LAlt", "LWin + LAlt"},
      // Two keys for one slot: the later of the first five events wins, and
      // with fewer than five keys those include releases.
      {{kLShift, kRShift, kA}, "RShift + A", "RUmschalt + A"},
      {{kRShift, kLShift, kA}, "LShift + A", "LUmschalt + A"},
      {{kA, kB}, "A", "A"},
      {{kA, kB, kC}, "B", "B"},
      {{kA, kB, kC, kD, kE}, "E", "E"},
      {{kA, kB, kC, kD, kE, kF}, "E", "E"},
      // A usage without a key code empties the key slot.
      {{kLCtrl, 0x32}, "LCtrl", "LStrg"},
      {{kLCtrl, kA, 0x32}, "LCtrl + A", "LStrg + A"},
  };
  FakeStrings strings;
  const MacroSlots slots;
  for (const Case& c : cases) {
    ButtonRecord record = Combination(c.keys);
    strings.marker = "";
    EXPECT_EQ(ButtonLabel(record, strings, slots), c.english);
    strings.marker = "GER";
    EXPECT_EQ(ButtonLabel(record, strings, slots), c.german);
  }
}

TEST(ButtonLabelTest, AnEmptyCombinationShowsNothing) {
  ButtonRecord record;
  record.ButtonFunc = kKeyCombinationFunction;
  EXPECT_EQ(ButtonLabel(record, FakeStrings(), MacroSlots()), "");
}

ButtonRecord MacroAssignment(std::uint8_t slot, std::u16string_view old_name) {
  ButtonRecord record;
  record.ButtonFunc = kMacroFunction;
  record.KeyNumber = slot;
  record.LoopNumber = 3;
  std::copy(old_name.begin(), old_name.end(), record.MacroName.begin());
  return record;
}

MacroSlots Slots(std::vector<std::string> names) {
  MacroSlots slots;
  for (std::size_t i = 0; i < names.size(); ++i) slots[i] = names[i];
  return slots;
}

TEST(ButtonLabelTest, WithoutAnyMacroAMacroButtonKeepsItsAssignmentAndShowsNothing) {
  ButtonRecord record = MacroAssignment(2, u"Old name");
  const ButtonRecord before = record;
  EXPECT_EQ(ButtonLabel(record, FakeStrings(), MacroSlots()), "");
  RepairMacroAssignment(record, MacroSlots());
  EXPECT_EQ(record, before);
}

TEST(ButtonLabelTest, AMacroButtonTakesTheNameOfItsSlot) {
  const MacroSlots slots = Slots({"Alpha", "Beta", "Gamma"});
  ButtonRecord record = MacroAssignment(1, u"A much longer old name");
  EXPECT_EQ(ButtonLabel(record, FakeStrings(), slots), "Beta");
  // Labelling changes nothing; the repair takes the name.
  EXPECT_EQ(NameOf(record), u"A much longer old name");
  RepairMacroAssignment(record, slots);
  EXPECT_EQ(record.ButtonFunc, kMacroFunction);
  EXPECT_EQ(NameOf(record), u"Beta");
  // No trace of the old name is left behind the new one.
  EXPECT_TRUE(std::all_of(record.MacroName.begin() + 4, record.MacroName.end(),
                          [](char16_t u) { return u == 0; }));
  EXPECT_EQ(ButtonLabel(record, FakeStrings(), slots), "Beta");
}

TEST(ButtonLabelTest, AMacroButtonWhoseMacroIsGoneBecomesCode16) {
  const FakeStrings strings;
  const MacroSlots slots = Slots({"Alpha", "Beta", "Gamma"});
  for (const std::uint8_t slot : {3, 14, 15, 200}) {
    ButtonRecord record = MacroAssignment(slot, u"Delta");
    EXPECT_EQ(ButtonLabel(record, strings, slots), "FUNCTION_STRING 16") << int{slot};
    EXPECT_EQ(record.ButtonFunc, kMacroFunction);
    RepairMacroAssignment(record, slots);
    EXPECT_EQ(record.ButtonFunc, kMacroGoneFunction);
    EXPECT_EQ(NameOf(record), u"Delta");
    EXPECT_EQ(ButtonLabel(record, strings, slots), "FUNCTION_STRING 16") << int{slot};
  }
}

TEST(ButtonLabelTest, AGapInTheIndexNeitherHidesNorInventsAMacro) {
  // Only a foreign writer leaves gaps; the slot stays the macro's identity.
  const MacroSlots slots = Slots({"Alpha", "", "Gamma"});
  ButtonRecord gone = MacroAssignment(1, u"Beta");
  EXPECT_EQ(ButtonLabel(gone, FakeStrings(), slots), "FUNCTION_STRING 16");
  RepairMacroAssignment(gone, slots);
  EXPECT_EQ(gone.ButtonFunc, kMacroGoneFunction);
  ButtonRecord kept = MacroAssignment(2, u"Gamma");
  EXPECT_EQ(ButtonLabel(kept, FakeStrings(), slots), "Gamma");
  RepairMacroAssignment(kept, slots);
  EXPECT_EQ(kept.ButtonFunc, kMacroFunction);
}

TEST(ButtonLabelTest, ALongIndexNameFillsMacroNameWithoutOverflowing) {
  // 200 two-unit characters: the name field keeps 259 units, which must not
  // end in half a pair.
  std::string name;
  for (int i = 0; i < 200; ++i) name += "\xF0\x9F\x98\x80";  // U+1F600
  ButtonRecord record = MacroAssignment(0, u"");
  EXPECT_EQ(ButtonLabel(record, FakeStrings(), Slots({name})), name);
  RepairMacroAssignment(record, Slots({name}));
  const std::u16string stored = NameOf(record);
  EXPECT_EQ(stored.size(), 258u);
  EXPECT_EQ(stored, Utf8ToUtf16(name).substr(0, 258));
  EXPECT_EQ(record.MacroName.back(), u'\0');
}

TEST(ButtonLabelTest, TheRepairOfAProfileTouchesOnlyItsMacroAssignments) {
  ProfileRecord profile;
  for (ButtonRecord& button : profile.Buttons) button.ButtonFunc = kSingleKeyFunction;
  profile.Buttons[2] = MacroAssignment(0, u"Old");
  profile.Buttons[7] = MacroAssignment(5, u"Gone");
  // A stale slot in a record of another function is not a macro's.
  profile.Buttons[9].KeyNumber = 5;
  ProfileRecord expected = profile;
  RepairMacroAssignments(profile, Slots({"Alpha"}));
  expected.Buttons[2].MacroName.fill(u'\0');
  std::copy_n(u"Alpha", 5, expected.Buttons[2].MacroName.begin());
  expected.Buttons[7].ButtonFunc = kMacroGoneFunction;
  EXPECT_EQ(profile, expected);
}

TEST(ButtonLabelTest, FactoryProfileShowsItsTwelveLabels) {
  SettingsBlock block;
  InitSettings(block);
  ResetProfile(block, 0);
  const std::array<std::string, kButtonCount> english =
      ButtonLabels(block.Profiles[0], SkinStringFiles(kEnglishSkin, SystemFileIo()), MacroSlots());
  EXPECT_EQ(english, (std::array<std::string, kButtonCount>{
                         "Left Click", "Right Click", "Middle Click", "1", "2", "3", "4", "5", "6",
                         "DPI Down", "DPI Cycle", "Fire Key"}));
  const std::array<std::string, kButtonCount> german =
      ButtonLabels(block.Profiles[0], SkinStringFiles(kGermanSkin, SystemFileIo()), MacroSlots());
  EXPECT_EQ(german[0], "Linksklick");
  EXPECT_EQ(german[11], "Dauerfeuer");
}

TEST(CanLeaveTest, LooksAtEveryButtonButTheAskedOne) {
  ProfileRecord profile;
  for (ButtonRecord& b : profile.Buttons) b.ButtonFunc = 2;
  profile.Buttons[0].ButtonFunc = kPrimaryClickFunction;
  EXPECT_FALSE(CanLeave(profile, 0));
  for (int b = 1; b < kButtonCount; ++b) EXPECT_TRUE(CanLeave(profile, b)) << b;

  profile.Buttons[7].ButtonFunc = kPrimaryClickFunction;
  EXPECT_TRUE(CanLeave(profile, 0));
  EXPECT_TRUE(CanLeave(profile, 7));

  profile.Buttons[0].ButtonFunc = 2;
  profile.Buttons[7].ButtonFunc = 2;
  for (int b = 0; b < kButtonCount; ++b) EXPECT_FALSE(CanLeave(profile, b)) << b;
}

// A button whose assignment is taken away gets back what a reset gives it.
TEST(FallbackFunctionTest, IsWhatAResetStoresAndNothingOutsideTheButtons) {
  SettingsBlock block;
  InitSettings(block);
  ResetAllProfiles(block);
  for (const ProfileRecord& profile : block.Profiles) {
    for (int b = 0; b < kButtonCount; ++b) {
      EXPECT_EQ(FallbackFunction(b), profile.Buttons[static_cast<std::size_t>(b)].ButtonFunc) << b;
    }
  }
  EXPECT_EQ(FallbackFunction(-1), 0);
  EXPECT_EQ(FallbackFunction(kButtonCount), 0);
}

}  // namespace
}  // namespace vantix
