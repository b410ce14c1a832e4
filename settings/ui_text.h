// The two string files of the skin: interface texts ("skins.ini") and
// function names ("general.ini"), both in "images/0409/strings/" of the
// program folder (English) or beside it in "images/0407/strings/" (German).
// A text is addressed by a section and a positive number.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "settings/file_io.h"
#include "settings/ui_language.h"

namespace vantix {

inline constexpr std::string_view kSkinStringsFolder = "images/0409/strings/";
inline constexpr std::string_view kSkinTextsFile = "skins.ini";
inline constexpr std::string_view kFunctionNamesFile = "general.ini";

// Where texts come from. The windows read the files; tests may stand in.
class SkinStrings {
 public:
  virtual ~SkinStrings() = default;
  // Key `number` (decimal) of `section` in "skins.ini"; empty when the file,
  // section or key is missing.
  virtual std::string UiText(std::string_view section, int number) const = 0;
  // The same from "general.ini".
  virtual std::string GeneralText(std::string_view section, int number) const = 0;
};

// The string files on disk, as they are at each call: the skin may be
// swapped or its strings edited while the program runs. A file is parsed
// again only when its identity (inode, size, modification time) changed
// since the last parse; a file layer that cannot tell is read every time.
class SkinStringFiles final : public SkinStrings {
 public:
  // strings_folder holds "skins.ini" and "general.ini".
  explicit SkinStringFiles(std::string strings_folder, FileIo& io);
  // The strings of a program folder (ending with '/') in the user's
  // language; the English ones when the skin has none in that language.
  static SkinStringFiles InProgramFolder(const std::string& program_folder,
                                         UiLanguage language, FileIo& io);

  std::string UiText(std::string_view section, int number) const override;
  std::string GeneralText(std::string_view section, int number) const override;

 private:
  struct Parsed;
  std::string Text(const std::string& path, int file, std::string_view section, int number) const;

  std::string skins_path_;
  std::string general_path_;
  FileIo* io_;
  // Shared by copies: they read the same two files.
  std::shared_ptr<Parsed> parsed_;
};

}  // namespace vantix
