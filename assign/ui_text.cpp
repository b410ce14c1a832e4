#include "assign/ui_text.h"

#include "settings/folders.h"
#include "settings/ini_file.h"

namespace vantix {

SkinStringFiles::SkinStringFiles(std::string strings_folder, FileIo& io)
    : io_(&io) {
  strings_folder = WithTrailingSlash(std::move(strings_folder));
  skins_path_ = strings_folder + std::string(kSkinTextsFile);
  general_path_ = strings_folder + std::string(kFunctionNamesFile);
}

SkinStringFiles SkinStringFiles::InProgramFolder(const std::string& program_folder, FileIo& io) {
  return SkinStringFiles(WithTrailingSlash(program_folder) + std::string(kSkinStringsFolder), io);
}

std::string SkinStringFiles::UiText(std::string_view section, int number) const {
  return IniFile(skins_path_, *io_).ReadString(section, std::to_string(number), "");
}

std::string SkinStringFiles::GeneralText(std::string_view section, int number) const {
  return IniFile(general_path_, *io_).ReadString(section, std::to_string(number), "");
}

}  // namespace vantix
