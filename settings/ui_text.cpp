#include "settings/ui_text.h"

#include "settings/folders.h"
#include "settings/ini_file.h"

namespace vantix {

SkinStringFiles::SkinStringFiles(std::string strings_folder, FileIo& io)
    : io_(&io) {
  strings_folder = WithTrailingSlash(std::move(strings_folder));
  skins_path_ = strings_folder + std::string(kSkinTextsFile);
  general_path_ = strings_folder + std::string(kFunctionNamesFile);
}

SkinStringFiles SkinStringFiles::InProgramFolder(const std::string& program_folder,
                                                 UiLanguage language, FileIo& io) {
  const std::string root = WithTrailingSlash(program_folder);
  std::string folder = root + std::string(StringsFolderOf(language));
  // A skin made for one language only still speaks that one.
  if (language != UiLanguage::kEnglish &&
      io.Read(folder + std::string(kSkinTextsFile), kMaxIniFileBytes).state != FileRead::State::kOk) {
    folder = root + std::string(kSkinStringsFolder);
  }
  return SkinStringFiles(std::move(folder), io);
}

std::string SkinStringFiles::UiText(std::string_view section, int number) const {
  return IniFile(skins_path_, *io_).ReadString(section, std::to_string(number), "");
}

std::string SkinStringFiles::GeneralText(std::string_view section, int number) const {
  return IniFile(general_path_, *io_).ReadString(section, std::to_string(number), "");
}

}  // namespace vantix
