#include "settings/ui_text.h"

#include <array>
#include <mutex>
#include <optional>

#include "settings/folders.h"
#include "settings/ini_file.h"

namespace vantix {

// The last parse of each file and the identity it was read under. The
// windows ask for dozens of texts while they are built; parsing the file for
// each one was a good part of the start-up time.
struct SkinStringFiles::Parsed {
  struct File {
    std::optional<FileIdentity> identity;
    std::shared_ptr<const IniSnapshot> snapshot;
  };
  std::mutex mutex;
  std::array<File, 2> files;  // skins.ini, general.ini
};

SkinStringFiles::SkinStringFiles(std::string strings_folder, FileIo& io)
    : io_(&io), parsed_(std::make_shared<Parsed>()) {
  strings_folder = WithTrailingSlash(std::move(strings_folder));
  skins_path_ = strings_folder + std::string(kSkinTextsFile);
  general_path_ = strings_folder + std::string(kFunctionNamesFile);
}

SkinStringFiles SkinStringFiles::InProgramFolder(const std::string& program_folder,
                                                 UiLanguage language, FileIo& io) {
  const std::string root = WithTrailingSlash(program_folder);
  std::string folder = root + StringsFolderOf(language);
  // A skin made for one language only still speaks that one.
  if (language != UiLanguage::kEnglish &&
      io.Read(folder + std::string(kSkinTextsFile), kMaxIniFileBytes).state != FileRead::State::kOk) {
    folder = root + std::string(kSkinStringsFolder);
  }
  return SkinStringFiles(std::move(folder), io);
}

std::string SkinStringFiles::Text(const std::string& path, int file, std::string_view section,
                                  int number) const {
  // Taken before the read: a change made while reading shows as a new
  // identity at the next call, which then reads again.
  const std::optional<FileIdentity> now = io_->Identity(path);
  std::shared_ptr<const IniSnapshot> snapshot;
  {
    const std::lock_guard<std::mutex> lock(parsed_->mutex);
    Parsed::File& cached = parsed_->files[file];
    if (now && now->exists && cached.snapshot && cached.identity == now) snapshot = cached.snapshot;
  }
  if (!snapshot) {
    snapshot = std::make_shared<const IniSnapshot>(IniFile(path, *io_).Load());
    const std::lock_guard<std::mutex> lock(parsed_->mutex);
    Parsed::File& cached = parsed_->files[file];
    cached.identity = now;
    cached.snapshot = now && now->exists ? snapshot : nullptr;
  }
  return snapshot->ReadString(section, std::to_string(number), "");
}

std::string SkinStringFiles::UiText(std::string_view section, int number) const {
  return Text(skins_path_, 0, section, number);
}

std::string SkinStringFiles::GeneralText(std::string_view section, int number) const {
  return Text(general_path_, 1, section, number);
}

}  // namespace vantix
