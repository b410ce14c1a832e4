// The interface language from the environment, and the string files it picks.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "assign/function_catalogue.h"
#include "settings/ui_language.h"
#include "settings/ui_text.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

struct LanguageCase {
  const char* name;
  std::map<std::string, std::string> environment;
  UiLanguage expected;
};

void PrintTo(const LanguageCase& c, std::ostream* os) { *os << c.name; }

class ChooseUiLanguageTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(ChooseUiLanguageTest, FollowsTheLocaleOfMessagesUnlessOverridden) {
  const LanguageCase& c = GetParam();
  const auto lookup = [&](std::string_view name) -> std::optional<std::string> {
    const auto found = c.environment.find(std::string(name));
    if (found == c.environment.end()) return std::nullopt;
    return found->second;
  };
  EXPECT_EQ(ChooseUiLanguage(lookup), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, ChooseUiLanguageTest,
    ::testing::Values(
        LanguageCase{"Nothing", {}, UiLanguage::kEnglish},
        LanguageCase{"GermanLang", {{"LANG", "de_DE.UTF-8"}}, UiLanguage::kGerman},
        LanguageCase{"AustrianLang", {{"LANG", "de_AT"}}, UiLanguage::kGerman},
        LanguageCase{"BareDe", {{"LANG", "de"}}, UiLanguage::kGerman},
        LanguageCase{"FrenchOfCanada", {{"LANG", "fr_CA.UTF-8"}}, UiLanguage::kFrench},
        LanguageCase{"LanguageTheSkinLacks", {{"LANG", "ar_EG.UTF-8"}}, UiLanguage::kEnglish},
        LanguageCase{"ModifierIgnored", {{"LANG", "ru_UA.UTF-8@latin"}}, UiLanguage::kRussian},
        LanguageCase{"Brazil", {{"LANG", "pt_BR.UTF-8"}}, UiLanguage::kPortugueseBrazil},
        LanguageCase{"Portugal", {{"LANG", "pt_PT.UTF-8"}}, UiLanguage::kPortuguesePortugal},
        LanguageCase{"AngolaWritesAsPortugal", {{"LANG", "pt_AO"}},
                     UiLanguage::kPortuguesePortugal},
        LanguageCase{"China", {{"LANG", "zh_CN.UTF-8"}}, UiLanguage::kChineseSimplified},
        LanguageCase{"Singapore", {{"LANG", "zh_SG.GBK"}}, UiLanguage::kChineseSimplified},
        LanguageCase{"Taiwan", {{"LANG", "zh_TW.UTF-8"}}, UiLanguage::kChineseTraditional},
        LanguageCase{"HongKong", {{"LANG", "zh_HK.UTF-8"}}, UiLanguage::kChineseTraditional},
        LanguageCase{"Nynorsk", {{"LANG", "nn_NO.UTF-8"}}, UiLanguage::kNorwegianBokmal},
        LanguageCase{"Japan", {{"LC_MESSAGES", "ja_JP.eucJP"}}, UiLanguage::kJapanese},
        LanguageCase{"CLocale", {{"LANG", "C.UTF-8"}}, UiLanguage::kEnglish},
        LanguageCase{"UpperCaseIsNoLocaleName", {{"LANG", "DE_DE"}}, UiLanguage::kEnglish},
        LanguageCase{"LcMessagesBeforeLang",
                     {{"LANG", "en_GB.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}},
                     UiLanguage::kGerman},
        LanguageCase{"LcAllBeforeEverything",
                     {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}, {"LC_ALL", "C"}},
                     UiLanguage::kEnglish},
        LanguageCase{"EmptyLcAllIsUnset",
                     {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "de_CH.UTF-8"}},
                     UiLanguage::kGerman},
        LanguageCase{"OverrideToGerman",
                     {{"VANTIX_LANGUAGE", "de"}, {"LC_ALL", "en_US.UTF-8"}}, UiLanguage::kGerman},
        LanguageCase{"OverrideToEnglish",
                     {{"VANTIX_LANGUAGE", "en"}, {"LANG", "de_DE.UTF-8"}}, UiLanguage::kEnglish},
        LanguageCase{"OverrideInCapitals",
                     {{"VANTIX_LANGUAGE", "DE"}, {"LANG", "en_US.UTF-8"}}, UiLanguage::kGerman},
        LanguageCase{"OverrideByTag",
                     {{"VANTIX_LANGUAGE", "ko"}, {"LANG", "de_DE.UTF-8"}}, UiLanguage::kKorean},
        LanguageCase{"OverrideByTerritoryInAnyCase",
                     {{"VANTIX_LANGUAGE", "PT-br"}, {"LANG", "de_DE.UTF-8"}},
                     UiLanguage::kPortugueseBrazil},
        LanguageCase{"OverrideAsALocaleName",
                     {{"VANTIX_LANGUAGE", "zh_HK.UTF-8"}, {"LANG", "de_DE.UTF-8"}},
                     UiLanguage::kChineseTraditional},
        LanguageCase{"UnknownOverrideLeavesTheLocale",
                     {{"VANTIX_LANGUAGE", "xx"}, {"LANG", "de_DE.UTF-8"}}, UiLanguage::kGerman},
        LanguageCase{"OverrideOfALanguageTheSkinLacks",
                     {{"VANTIX_LANGUAGE", "ar"}, {"LANG", "fr_FR.UTF-8"}}, UiLanguage::kFrench},
        LanguageCase{"EmptyOverrideLeavesTheLocale",
                     {{"VANTIX_LANGUAGE", ""}, {"LANG", "de_DE.UTF-8"}}, UiLanguage::kGerman}),
    [](const auto& info) { return std::string(info.param.name); });

// Every language's tag names it again, and each has a folder of its own.
TEST(UiLanguageTable, TagsChooseTheirLanguageAndFoldersAreDistinct) {
  std::set<std::string_view> folders;
  for (const UiLanguageInfo& info : UiLanguages()) {
    EXPECT_EQ(InfoOf(info.language).tag, info.tag);
    const auto tagged = [&](std::string_view name) -> std::optional<std::string> {
      if (name == "VANTIX_LANGUAGE") return std::string(info.tag);
      return std::nullopt;
    };
    EXPECT_EQ(ChooseUiLanguage(tagged), info.language) << info.tag;
    EXPECT_TRUE(folders.insert(info.folder).second) << info.tag;
    EXPECT_EQ(StringsFolderOf(info.language), "images/" + std::string(info.folder) + "/strings/");
  }
  EXPECT_EQ(UiLanguages().front().language, UiLanguage::kEnglish);
}

class StringsFolderTest : public ::testing::Test {
 protected:
  void Put(const std::string& folder, const std::string& skins) {
    std::filesystem::create_directories(dir / folder);
    test::WriteBytes(dir / (folder + "/skins.ini"), skins);
  }
  test::ScratchDir dir;
  const std::string program = dir.path() + "/";
};

TEST_F(StringsFolderTest, EachLanguageReadsItsOwnFolder) {
  Put("images/0409/strings", "[General]\n48=Apply\n");
  Put("images/0407/strings", "[General]\n48=\xC3\x9C" "bernehmen\n500=GER\n");
  EXPECT_EQ(SkinStringFiles::InProgramFolder(program, UiLanguage::kEnglish, SystemFileIo())
                .UiText("General", 48),
            "Apply");
  EXPECT_EQ(SkinStringFiles::InProgramFolder(program, UiLanguage::kGerman, SystemFileIo())
                .UiText("General", 48),
            "\xC3\x9C"
            "bernehmen");
}

TEST_F(StringsFolderTest, ASkinWithoutGermanStringsSpeaksEnglish) {
  Put("images/0409/strings", "[General]\n48=Apply\n");
  EXPECT_EQ(SkinStringFiles::InProgramFolder(program, UiLanguage::kGerman, SystemFileIo())
                .UiText("General", 48),
            "Apply");
}

TEST_F(StringsFolderTest, TheNoKeyLabelComesFromTheStringsWithAnEnglishFallback) {
  ButtonRecord record;
  record.ButtonFunc = kSingleKeyFunction;
  record.KeyEvents[0] = 0x32;  // a usage without a key code
  const MacroSlots slots;
  Put("images/0409/strings", "[General]\n102=key\n");
  Put("images/0407/strings", "[General]\n102=Taste\n");
  EXPECT_EQ(
      ButtonLabel(record,
                  SkinStringFiles::InProgramFolder(program, UiLanguage::kGerman, SystemFileIo()),
                  slots),
      "Taste");
  Put("images/0407/strings", "[General]\n500=GER\n");
  EXPECT_EQ(
      ButtonLabel(record,
                  SkinStringFiles::InProgramFolder(program, UiLanguage::kGerman, SystemFileIo()),
                  slots),
      "key");
}

}  // namespace
}  // namespace vantix
