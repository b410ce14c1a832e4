// The skin's string files, in every language: every key of the English
// files, a text for every section and number the program reads, nothing it
// does not read, the language marker, and every language copied into the
// build's skin.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "assign/function_catalogue.h"
#include "assign/key_names.h"
#include "settings/ui_language.h"
#include "settings/ui_text.h"
#include "skin/skin_texts.h"
#include "skin/tests/skin_test_support.h"

namespace vantix::skin::test {
namespace {

std::string SourceFolder(const std::string& language) {
  return std::string(VANTIX_SKIN_STRINGS_SOURCE) + "/" + language;
}

std::string_view FileName(StringFile file) {
  return file == StringFile::kSkins ? kSkinTextsFile : kFunctionNamesFile;
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The (section, number) pairs a string file holds. The files are plain:
// comments, "[section]" lines and "number=text" lines.
std::set<std::pair<std::string, std::string>> KeysOf(const QByteArray& bytes) {
  std::set<std::pair<std::string, std::string>> keys;
  std::string section;
  for (QByteArray line : bytes.split('\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';')) continue;
    if (line.startsWith('[') && line.endsWith(']')) {
      section = line.mid(1, line.size() - 2).toStdString();
      continue;
    }
    keys.emplace(section, line.left(line.indexOf('=')).trimmed().toStdString());
  }
  return keys;
}

class SkinStringsTest : public ::testing::TestWithParam<std::string> {
 protected:
  SkinStringsTest() : strings_(SourceFolder(GetParam()), SystemFileIo()) {}
  SkinStringFiles strings_;
};

TEST_P(SkinStringsTest, HasATextForEveryNumberTheProgramReads) {
  for (const TextRange& range : kSkinTexts) {
    for (int n = range.first; n <= range.last; ++n) {
      const std::string text = range.file == StringFile::kSkins
                                   ? strings_.UiText(range.section, n)
                                   : strings_.GeneralText(range.section, n);
      EXPECT_FALSE(text.empty()) << FileName(range.file) << " [" << range.section << "] " << n
                                 << " (" << range.use << ")";
    }
  }
}

TEST_P(SkinStringsTest, NamesEveryFunctionCode) {
  for (int code = 1; code <= kLastFunction; ++code) {
    EXPECT_FALSE(FunctionLabel(code, strings_).empty()) << "code " << code;
  }
}

// A key the English files have and a translation lacks would show empty.
TEST_P(SkinStringsTest, HasEveryKeyOfTheEnglishFiles) {
  for (const StringFile file : {StringFile::kSkins, StringFile::kGeneral}) {
    const std::string name(FileName(file));
    const auto english = KeysOf(Bytes(SourceFolder("en") + "/" + name));
    const auto translated = KeysOf(Bytes(SourceFolder(GetParam()) + "/" + name));
    ASSERT_FALSE(english.empty()) << name;
    for (const auto& [section, key] : english) {
      EXPECT_TRUE(translated.contains({section, key})) << name << " [" << section << "] " << key;
    }
  }
}

// A text under a misspelt section or number would never be shown.
TEST_P(SkinStringsTest, HoldsNoTextTheProgramDoesNotRead) {
  for (const StringFile file : {StringFile::kSkins, StringFile::kGeneral}) {
    const QByteArray bytes = Bytes(SourceFolder(GetParam()) + "/" + std::string(FileName(file)));
    ASSERT_FALSE(bytes.isEmpty()) << FileName(file);
    for (const auto& [section, key] : KeysOf(bytes)) {
      bool known = false;
      for (const TextRange& range : kSkinTexts) {
        for (int n = range.first; n <= range.last && !known; ++n) {
          known = range.file == file && range.section == section && std::to_string(n) == key;
        }
      }
      EXPECT_TRUE(known) << FileName(file) << " [" << section << "] " << key;
    }
  }
}

// Read as Windows-1252 otherwise, the umlauts would turn to mojibake.
TEST_P(SkinStringsTest, FilesAreUtf8) {
  for (const StringFile file : {StringFile::kSkins, StringFile::kGeneral}) {
    const QByteArray bytes = Bytes(SourceFolder(GetParam()) + "/" + std::string(FileName(file)));
    EXPECT_EQ(QString::fromUtf8(bytes).toUtf8(), bytes) << FileName(file);
  }
}

std::vector<std::string> LanguageTags() {
  std::vector<std::string> tags;
  for (const UiLanguageInfo& info : UiLanguages()) tags.emplace_back(info.tag);
  return tags;
}

INSTANTIATE_TEST_SUITE_P(Languages, SkinStringsTest, ::testing::ValuesIn(LanguageTags()),
                         [](const auto& info) { return info.param; });

// Only German names its keys after its own layout; the other languages keep
// the names keyboards print on the US layout the hook reports (Ctrl, Enter).
TEST(SkinLanguage, MarkerChoosesTheKeyNames) {
  for (const std::string& language : LanguageTags()) {
    const SkinStringFiles strings(SourceFolder(language), SystemFileIo());
    EXPECT_EQ(KeyNameLanguage(strings),
              language == "de" ? KeyLanguage::kGerman : KeyLanguage::kEnglish)
        << language;
  }
}

// The scripts that walk the languages read the source folders: each is a
// language of the table, and each language has one.
TEST(SkinLanguage, SourceFoldersAreTheLanguagesOfTheTable) {
  std::set<std::string> folders;
  for (const auto& entry : std::filesystem::directory_iterator(VANTIX_SKIN_STRINGS_SOURCE)) {
    if (entry.is_directory()) folders.insert(entry.path().filename().string());
  }
  const std::vector<std::string> tags = LanguageTags();
  EXPECT_EQ(folders, std::set<std::string>(tags.begin(), tags.end()));
}

// The list of texts is the catalogue's too: every function code's label key
// lies in one of its function-name ranges.
TEST(SkinTextList, CoversEveryFunctionLabel) {
  for (int code = 1; code <= kLastFunction; ++code) {
    const std::optional<FunctionLabelKey> key = LabelKeyOf(code);
    ASSERT_TRUE(key.has_value()) << "code " << code;
    bool listed = false;
    for (const TextRange& range : kSkinTexts) {
      listed |= range.file == StringFile::kGeneral && range.section == key->section &&
                range.first <= key->number && key->number <= range.last;
    }
    EXPECT_TRUE(listed) << "code " << code << ": [" << key->section << "] " << key->number;
  }
}

// Every language is shipped: English in the skin's own folder, each other
// one beside it in the folder of its language identifier.
TEST(SkinStringsBuilt, AreEveryLanguagesFiles) {
  for (const UiLanguageInfo& info : UiLanguages()) {
    for (const StringFile file : {StringFile::kSkins, StringFile::kGeneral}) {
      const std::string name(FileName(file));
      const QByteArray built =
          Bytes(std::string(VANTIX_PROGRAM_DIR) + "/" + StringsFolderOf(info.language) + name);
      ASSERT_FALSE(built.isEmpty()) << info.folder << "/" << name;
      EXPECT_EQ(built, Bytes(SourceFolder(std::string(info.tag)) + "/" + name))
          << info.folder << "/" << name;
    }
  }
}

}  // namespace
}  // namespace vantix::skin::test
