#include "settings/profile_store.h"

#include <algorithm>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/ini_file.h"
#include "settings/settings_schema.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {
// The twelve names, made once: loading asks for each of them many times.
const std::array<std::string, kButtonCount>& ButtonKeys() {
  static const std::array<std::string, kButtonCount> keys = [] {
    std::array<std::string, kButtonCount> k;
    for (int b = 0; b < kButtonCount; ++b) k[b] = ButtonKey(b);
    return k;
  }();
  return keys;
}


// What differs between reading a profile file and importing an exported one.
struct ReadRules {
  bool field_defaults_from_schema;  // else every key defaults to unset
  bool read_loop_number;
  std::size_t name_units;           // longest name taken
};
constexpr ReadRules kProfileFileRules{true, true, kMacroNameUnits - 1};
// Import keeps the old 50-unit name field of exported files.
constexpr std::size_t kImportNameUnits = 50;
constexpr ReadRules kImportRules{false, false, kImportNameUnits};

std::uint8_t LowByte(std::int32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

// NUL bytes appear in text files only as UTF-16, which starts with its mark.
bool LooksBinary(std::string_view bytes) {
  const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                           (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
  return !utf16 && bytes.find('\0') != std::string_view::npos;
}

bool HoldsProfile(const IniSnapshot& file) {
  if (file.Find(kGroupSection, kStageValueKey)) return true;
  return std::any_of(kProfileFields.begin(), kProfileFields.end(), [&](const ProfileField& f) {
    return file.Find(kGroupSection, f.key).has_value();
  });
}

// One button of a profile file; its section is "ButtonAssigned_<b+1>".
void ReadButton(const IniSnapshot& file, int b, ButtonRecord& button, const ReadRules& rules) {
  const std::string& section = ButtonKeys()[b];
  button.ButtonID = LowByte(file.ReadInt(kUnset, section, kButtonIdKey));
  button.ButtonFunc = LowByte(file.ReadInt(kUnset, section, kButtonFuncKey));
  if (rules.read_loop_number) {
    button.LoopNumber = LowByte(file.ReadInt(kUnset, section, kLoopNumberKey));
  }
  button.KeyNumber = LowByte(file.ReadInt(kUnset, section, kKeyNumberKey));

  // Only the first 50 units are cleared, then the name and its NUL copied.
  std::fill_n(button.MacroName.begin(), kImportNameUnits, u'\0');
  const std::u16string name = Utf8ToUtf16(file.ReadString(section, kMacroNameKey, ""));
  const std::size_t units = std::min(name.size(), rules.name_units);
  std::copy_n(name.begin(), units, button.MacroName.begin());
  button.MacroName[units] = u'\0';

  file.ReadStruct(kKeyEventBytes, button.KeyEvents.data(), kGroupSection, section);
}

void ReadProfile(const IniSnapshot& file, ProfileRecord& record, const ReadRules& rules) {
  for (const ProfileField& field : kProfileFields) {
    const std::int32_t def = rules.field_defaults_from_schema ? field.load_default : kUnset;
    record.*field.member = file.ReadInt(def, kGroupSection, field.key);
  }
  std::array<std::uint8_t, kStageBlockBytes> stages{};
  file.ReadStruct(stages.size(), stages.data(), kGroupSection, kStageValueKey);
  UnpackStages(stages, record.Stages);

  for (int b = 0; b < kButtonCount; ++b) ReadButton(file, b, record.Buttons[b], rules);
}

// The key order of a freshly written file is what the device agent expects.
// group_id: none for an exported file; only_if_absent when the file's own
// current profile is to stay.
void WriteProfile(IniBatch& file, const ProfileRecord& record, const std::int32_t* group_id,
                  bool only_if_absent = false) {
  if (group_id != nullptr) {
    const std::string value = std::to_string(*group_id);
    if (only_if_absent) {
      file.WriteStringIfAbsent(kGroupSection, kGroupIdKey, value);
    } else {
      file.WriteString(kGroupSection, kGroupIdKey, value);
    }
  }
  for (const int index : kSaveOrder) {
    const ProfileField& field = kProfileFields[static_cast<std::size_t>(index)];
    file.WriteInt(kGroupSection, field.key, record.*field.member);
  }
  const auto stages = PackStages(record.Stages);
  file.WriteStruct(kGroupSection, kStageValueKey, stages.data(), stages.size());

  for (int b = 0; b < kButtonCount; ++b) {
    const ButtonRecord& button = record.Buttons[b];
    const std::string section = ButtonKey(b);
    file.WriteInt(section, kButtonIdKey, button.ButtonID);
    file.WriteInt(section, kButtonFuncKey, button.ButtonFunc);
    if (group_id != nullptr) file.WriteInt(section, kLoopNumberKey, button.LoopNumber);
    file.WriteInt(section, kKeyNumberKey, button.KeyNumber);
    file.WriteString(section, kMacroNameKey, Utf16ToUtf8(MacroNameView(button)));
    file.WriteStruct(kGroupSection, section, button.KeyEvents.data(), button.KeyEvents.size());
  }
}

}  // namespace

std::string ProfilePath(const std::string& data_folder, int index) {
  return data_folder + "RSProfile" + std::to_string(index + 1) + ".pfd";
}

std::string ButtonKey(int button) { return "ButtonAssigned_" + std::to_string(button + 1); }

Status ExportProfile(const std::string& path, const ProfileRecord& record, FileIo& io) {
  IniBatch file = IniFile(path, io).Edit();
  WriteProfile(file, record, nullptr);
  return file.Commit();
}

Status ImportProfile(const std::string& path, ProfileRecord& record, FileIo& io) {
  FileRead read = io.Read(path, kMaxDataFileBytes);
  switch (read.state) {
    case FileRead::State::kOk:
      break;
    case FileRead::State::kMissing:
      return Status::Error("no such file: " + path);
    case FileRead::State::kTooLarge:
      return Status::Error("not a profile: " + path + " is larger than " +
                           std::to_string(kMaxDataFileBytes / 1024) + " KiB");
    case FileRead::State::kFailed:
      return Status::Error("cannot read " + path);
  }
  if (LooksBinary(read.bytes)) return Status::Error("not a profile: " + path + " is binary");
  const IniSnapshot file(IniDocument::ParseOwned(std::move(read.bytes)), FileRead::State::kOk);
  // Reading a file without a profile would unset every field and save that.
  if (!HoldsProfile(file)) {
    return Status::Error("not a profile: " + path + " has no profile values in [GROUP]");
  }
  ReadProfile(file, record, kImportRules);
  return Status::Ok();
}

ProfileLoad ProfileStore::LoadProfiles(SettingsBlock& block) const {
  ProfileLoad load;
  for (int i = 0; i < kProfileCount; ++i) {
    const std::string path = ProfilePath(data_folder_, i);
    const IniSnapshot file = IniFile(path, io_, kDataFile).Load();
    if (file.Damaged()) load.damaged.push_back(path);
    // Every file carries the current profile; the last one read wins.
    block.CurrentProfile = file.ReadInt(kUnset, kGroupSection, kGroupIdKey);
    ReadProfile(file, block.Profiles[i], kProfileFileRules);
  }
  return load;
}

Status ProfileStore::SaveProfile(int index) const {
  IniBatch file = IniFile(ProfilePath(data_folder_, index), io_, kDataFile).Edit();
  WriteProfile(file, live_.Profiles[index], &live_.CurrentProfile, /*only_if_absent=*/true);
  return file.Commit();
}

Status ProfileStore::SaveProfiles() const {
  // One lock for the five files: a reader that also locks sees all of one
  // save or none of it.
  const FolderLock lock = Lock();
  if (!lock.held()) return lock.status();
  Status first_error;
  bool any_written = false;
  for (int i = 0; i < kProfileCount; ++i) {
    IniBatch file = IniFile(ProfilePath(data_folder_, i), io_, kDataFile).Edit();
    WriteProfile(file, live_.Profiles[i], &live_.CurrentProfile);
    any_written |= file.Changed();
    // One folder flush after all five renames instead of one per file.
    Status status = file.Commit(/*sync_folder=*/false);
    if (!status.ok() && first_error.ok()) first_error = std::move(status);
  }
  if (any_written) {
    Status status = io_.SyncFolder(FolderOf(ProfilePath(data_folder_, 0)));
    if (!status.ok() && first_error.ok()) first_error = std::move(status);
  }
  return first_error;
}

int ProfileStore::ReloadProfiles(ProfileLoad* load) {
  SettingsBlock buffer;
  InitSettings(buffer);
  ProfileLoad found = LoadProfiles(buffer);
  if (load != nullptr) *load = std::move(found);
  ValidateSettings(buffer, live_);
  return live_.CurrentProfile;
}

ButtonRecord ProfileStore::LoadButton(int index, int button) const {
  const IniSnapshot file = IniFile(ProfilePath(data_folder_, index), io_, kDataFile).Load();
  SettingsBlock loaded;
  InitSettings(loaded);
  ReadButton(file, button, loaded.Profiles[index].Buttons[button], kProfileFileRules);
  // Validated as a whole, so that a button read alone is repaired exactly
  // as in a reload.
  SettingsBlock valid;
  ValidateSettings(loaded, valid);
  return valid.Profiles[index].Buttons[button];
}

}  // namespace vantix
