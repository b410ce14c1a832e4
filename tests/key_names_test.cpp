// Key names in both languages, the language marker of the skin, and the map
// between key codes and HID usages.
#include "assign/key_names.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/text_codec.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ScratchDir;
using test::WriteBytes;

// The name table row by row, ranges listing their names in code order. An
// empty German list means "the same as English".
struct NameRow {
  int first;
  std::vector<std::string_view> english;
  std::vector<std::string_view> german;
};

const std::vector<NameRow> kNameRows = {
    {1, {"Esc"}, {"ESC"}},
    {2, {"1", "2", "3", "4", "5", "6", "7", "8", "9"}, {}},
    {11, {"0"}, {}},
    {12, {"-"}, {"\xC3\x9F"}},
    {13, {"="}, {"\xC2\xB4"}},
    {14, {"Backspace"}, {"R\xC3\xBC" "cktaste"}},
    {15, {"Tab"}, {"TABULATOR"}},
    {16, {"Q", "W", "E", "R", "T"}, {}},
    {21, {"Y"}, {"Z"}},
    {22, {"U", "I", "O", "P"}, {}},
    {26, {"["}, {"\xC3\xBC"}},
    {27, {"]"}, {"+"}},
    {28, {"Enter"}, {"EINGABE"}},
    {29, {"LCtrl"}, {"LStrg"}},
    {30, {"A", "S", "D", "F", "G", "H", "J", "K", "L"}, {}},
    {39, {";"}, {"\xC3\xB6"}},
    {40, {"'"}, {"\xC3\xA4"}},
    {41, {"`"}, {"^"}},
    {42, {"LShift"}, {"LUmschalt"}},
    {43, {"\\"}, {"#"}},
    {44, {"Z"}, {"Y"}},
    {45, {"X", "C", "V", "B", "N", "M"}, {}},
    {51, {","}, {}},
    {52, {"."}, {}},
    {53, {"/"}, {"-"}},
    {54, {"RShift"}, {"RUmschalt"}},
    {55, {"Print Screen"}, {"Druck/S-Abf"}},
    {56, {"LAlt"}, {}},
    {57, {"Space"}, {"LEER"}},
    {58, {"CapsLock"}, {"FESTSTELL"}},
    {59, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"}, {}},
    {69, {"Pause Break"}, {"Pause/Untbr"}},
    {70, {"Scroll Lock"}, {"Rollen"}},
    {71, {"Home"}, {"Pos1"}},
    {72, {"Up"}, {"Oben"}},
    {73, {"Page Up"}, {"Bild nach oben"}},
    {74, {"Num -"}, {}},
    {75, {"Left"}, {"Links"}},
    {76, {"Num 5"}, {}},
    {77, {"Right"}, {"Rechts"}},
    {78, {"Num +"}, {}},
    {79, {"End"}, {"Ende"}},
    {80, {"Down"}, {"Unten"}},
    {81, {"Page Down"}, {"Bild nach unten"}},
    {82, {"Insert"}, {"Einfg"}},
    {83, {"Delete"}, {"Entf"}},
    {87, {"F11"}, {}},
    {88, {"F12"}, {}},
    {91, {"LWindows"}, {"LWin"}},
    {92, {"RWindows"}, {"RWin"}},
    {93, {"App"}, {}},
    {224, {"Num Del"}, {"Num entf"}},
    {225, {"Num Lock"}, {}},
    {226, {"Num /"}, {}},
    {227, {"Num *"}, {}},
    {228, {"Num 9"}, {}},
    {229, {"Num Enter"}, {}},
    {230, {"Num 1", "Num 2", "Num 3", "Num 4"}, {}},
    {234, {"Num 6", "Num 7", "Num 8"}, {}},
    {237, {"Num 0"}, {}},
    {238, {"RCtrl"}, {"RStrg"}},
    {239, {"RAlt"}, {}},
    {240, {"Left Button"}, {}},
    {241, {"Right Button"}, {}},
    {242, {"Middle Button"}, {}},
};

struct Names {
  std::string_view english, german;
};

std::map<int, Names> ExpectedNames() {
  std::map<int, Names> names;
  for (const NameRow& row : kNameRows) {
    for (std::size_t i = 0; i < row.english.size(); ++i) {
      const std::string_view german = row.german.empty() ? row.english[i] : row.german.at(i);
      names[row.first + static_cast<int>(i)] = {row.english[i], german};
    }
  }
  return names;
}

TEST(KeyNameTest, EveryCodeHasItsNameInBothLanguagesAndNoOtherCodeHasOne) {
  const std::map<int, Names> expected = ExpectedNames();
  ASSERT_EQ(expected.size(), 107u);
  for (int c = 0; c <= 255; ++c) {
    SCOPED_TRACE("key code " + std::to_string(c));
    const auto code = static_cast<KeyCode>(c);
    const auto it = expected.find(c);
    EXPECT_EQ(KeyName(code, KeyLanguage::kEnglish), it == expected.end() ? "" : it->second.english);
    EXPECT_EQ(KeyName(code, KeyLanguage::kGerman), it == expected.end() ? "" : it->second.german);
  }
}

TEST(KeyNameTest, GermanSharpSAndAcuteAreSingleUtf16Units) {
  EXPECT_EQ(Utf8ToUtf16(KeyName(12, KeyLanguage::kGerman)), u"\u00DF");
  EXPECT_EQ(Utf8ToUtf16(KeyName(13, KeyLanguage::kGerman)), u"\u00B4");
}

// The language comes from [General] 500 of skins.ini, read on every call.
struct MarkerCase {
  const char* what;
  std::string skins_ini;  // nothing written when empty
  KeyLanguage language;
};

void PrintTo(const MarkerCase& c, std::ostream* os) { *os << c.what; }

std::string Utf16LeFile(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

class KeyNameMarkerTest : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(KeyNameMarkerTest, ChoosesTheColumn) {
  const MarkerCase& c = GetParam();
  ScratchDir dir;
  if (!c.skins_ini.empty()) WriteBytes(dir / "skins.ini", c.skins_ini);
  const SkinStringFiles strings(dir.path(), SystemFileIo());
  EXPECT_EQ(KeyNameLanguage(strings), c.language);
  EXPECT_EQ(KeyName(21, strings), c.language == KeyLanguage::kGerman ? "Z" : "Y");
  EXPECT_EQ(KeyName(240, strings), "Left Button");
  EXPECT_EQ(KeyName(0, strings), "");
  EXPECT_EQ(KeyName(84, strings), "");
}

INSTANTIATE_TEST_SUITE_P(
    Markers, KeyNameMarkerTest,
    ::testing::Values(
        MarkerCase{"German", "[General]\r\n500=GER\r\n", KeyLanguage::kGerman},
        MarkerCase{"TrimmedByTheIniRules", "[General]\n500 =  GER  \n", KeyLanguage::kGerman},
        MarkerCase{"QuotesRemovedByTheIniRules", "[General]\n500=\"GER\"\n", KeyLanguage::kGerman},
        MarkerCase{"SectionNameInOtherCase", "[GENERAL]\n500=GER\n", KeyLanguage::kGerman},
        MarkerCase{"Utf16File", Utf16LeFile(u"[General]\r\n500=GER\r\n"), KeyLanguage::kGerman},
        MarkerCase{"LowerCase", "[General]\n500=ger\n", KeyLanguage::kEnglish},
        MarkerCase{"LongerWord", "[General]\n500=GERMAN\n", KeyLanguage::kEnglish},
        MarkerCase{"Empty", "[General]\n500=\n", KeyLanguage::kEnglish},
        MarkerCase{"OtherKey", "[General]\n501=GER\n", KeyLanguage::kEnglish},
        MarkerCase{"OtherSection", "[WARNING]\n500=GER\n", KeyLanguage::kEnglish},
        MarkerCase{"MissingFile", "", KeyLanguage::kEnglish}),
    [](const ::testing::TestParamInfo<MarkerCase>& info) { return std::string(info.param.what); });

TEST(KeyNameTest, TheMarkerIsReadAgainOnEveryCall) {
  ScratchDir dir;
  const SkinStringFiles strings(dir.path(), SystemFileIo());
  EXPECT_EQ(KeyName(29, strings), "LCtrl");
  WriteBytes(dir / "skins.ini", "[General]\r\n500=GER\r\n");
  EXPECT_EQ(KeyName(29, strings), "LStrg");
  WriteBytes(dir / "skins.ini", "[General]\r\n500=ENG\r\n");
  EXPECT_EQ(KeyName(29, strings), "LCtrl");
}

TEST(KeyNameTest, TheFixtureSkinsSpeakTheirLanguage) {
  const SkinStringFiles english(std::string(VANTIX_TEST_DATA) + "/strings/en", SystemFileIo());
  const SkinStringFiles german(std::string(VANTIX_TEST_DATA) + "/strings/de", SystemFileIo());
  EXPECT_EQ(KeyName(42, english), "LShift");
  EXPECT_EQ(KeyName(42, german), "LUmschalt");
  EXPECT_EQ(KeyName(57, german), "LEER");
  EXPECT_EQ(KeyName(83, german), "Entf");
  EXPECT_EQ(KeyName(239, german), "RAlt");
}

// The pairs in usage order. Letters are placed by their English key names.
std::map<int, int> ExpectedUsageToCode() {
  std::map<std::string_view, int> code_of_name;
  for (const auto& [code, names] : ExpectedNames()) code_of_name[names.english] = code;
  std::map<int, int> usage_to_code;
  const std::string_view letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (std::size_t i = 0; i < letters.size(); ++i) {
    usage_to_code[0x04 + static_cast<int>(i)] = code_of_name.at(letters.substr(i, 1));
  }
  for (int d = 0; d < 10; ++d) usage_to_code[0x1E + d] = 2 + d;
  const std::vector<std::pair<int, int>> others = {
      {0x28, 28},  {0x29, 1},   {0x2A, 14},  {0x2B, 15},  {0x2C, 57},  {0x2D, 12},  {0x2E, 13},
      {0x2F, 26},  {0x30, 27},  {0x31, 43},  {0x33, 39},  {0x34, 40},  {0x35, 41},  {0x36, 51},
      {0x37, 52},  {0x38, 53},  {0x39, 58},  {0x44, 87},  {0x45, 88},  {0x46, 55},  {0x47, 70},
      {0x48, 69},  {0x49, 82},  {0x4A, 71},  {0x4B, 73},  {0x4C, 83},  {0x4D, 79},  {0x4E, 81},
      {0x4F, 77},  {0x50, 75},  {0x51, 80},  {0x52, 72},  {0x53, 225}, {0x54, 226}, {0x55, 227},
      {0x56, 74},  {0x57, 78},  {0x58, 229}, {0x59, 230}, {0x5A, 231}, {0x5B, 232}, {0x5C, 233},
      {0x5D, 76},  {0x5E, 234}, {0x5F, 235}, {0x60, 236}, {0x61, 228}, {0x62, 237}, {0x63, 224},
      {0x65, 93},  {0xE0, 29},  {0xE1, 42},  {0xE2, 56},  {0xE3, 91},  {0xE4, 238}, {0xE5, 54},
      {0xE6, 239}, {0xE7, 92},
  };
  for (int f = 0; f < 10; ++f) usage_to_code[0x3A + f] = 59 + f;
  for (const auto& [usage, code] : others) usage_to_code[usage] = code;
  return usage_to_code;
}

TEST(KeyUsageTest, EveryPairConvertsBothWaysAndNothingElseConverts) {
  const std::map<int, int> usage_to_code = ExpectedUsageToCode();
  ASSERT_EQ(usage_to_code.size(), 104u);
  std::map<int, int> code_to_usage;
  for (const auto& [usage, code] : usage_to_code) code_to_usage[code] = usage;
  ASSERT_EQ(code_to_usage.size(), 104u);

  for (int v = 0; v <= 255; ++v) {
    SCOPED_TRACE("value " + std::to_string(v));
    const auto byte = static_cast<std::uint8_t>(v);
    const auto code = code_to_usage.find(v);
    if (code == code_to_usage.end()) {
      EXPECT_FALSE(KeyCodeToUsage(byte).has_value());
    } else {
      EXPECT_EQ(KeyCodeToUsage(byte), code->second);
    }
    const auto usage = usage_to_code.find(v);
    if (usage == usage_to_code.end()) {
      EXPECT_FALSE(UsageToKeyCode(byte).has_value());
    } else {
      EXPECT_EQ(UsageToKeyCode(byte), usage->second);
    }
  }
}

TEST(KeyUsageTest, EveryNamedKeyButTheMouseButtonsHasAUsage) {
  for (const auto& [code, names] : ExpectedNames()) {
    const bool mouse = code >= 240 && code <= 242;
    EXPECT_EQ(KeyCodeToUsage(static_cast<KeyCode>(code)).has_value(), !mouse) << names.english;
  }
  EXPECT_EQ(KeyCodeToUsage(74), 0x56);
  EXPECT_EQ(UsageToKeyCode(0x56), 74);
  EXPECT_EQ(KeyCodeToUsage(73), 0x4B);
  EXPECT_EQ(UsageToKeyCode(0x4B), 73);
  EXPECT_FALSE(UsageToKeyCode(0x32).has_value());
  EXPECT_FALSE(UsageToKeyCode(0x64).has_value());
  EXPECT_FALSE(UsageToKeyCode(0).has_value());
}

}  // namespace
}  // namespace vantix
