#include "settings/profile_store.h"

#include <algorithm>
#include <string_view>

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

void ReadProfile(const IniSnapshot& file, ProfileRecord& record, const ReadRules& rules) {
  for (const ProfileField& field : kProfileFields) {
    const std::int32_t def = rules.field_defaults_from_schema ? field.load_default : kUnset;
    record.*field.member = file.ReadInt(def, kGroupSection, field.key);
  }
  std::array<std::uint8_t, kStageBlockBytes> stages{};
  file.ReadStruct(stages.size(), stages.data(), kGroupSection, kStageValueKey);
  UnpackStages(stages, record.Stages);

  for (int b = 0; b < kButtonCount; ++b) {
    ButtonRecord& button = record.Buttons[b];
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
}

// The key order of a freshly written file is what the device agent expects.
void WriteProfile(IniBatch& file, const ProfileRecord& record, const std::int32_t* group_id) {
  if (group_id != nullptr) file.WriteInt(kGroupSection, kGroupIdKey, *group_id);
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
  const IniSnapshot file = IniFile(path, io).Load();
  if (!file.Readable()) {
    return Status::Error(file.State() == FileRead::State::kMissing ? "no such file: " + path
                                                                   : "cannot read " + path);
  }
  ReadProfile(file, record, kImportRules);
  return Status::Ok();
}

bool HoldsProfile(const std::string& path, FileIo& io) {
  const IniSnapshot file = IniFile(path, io).Load();
  if (!file.Readable()) return false;
  for (const ProfileField& field : kProfileFields) {
    if (file.Find(kGroupSection, field.key)) return true;
  }
  if (file.Find(kGroupSection, kStageValueKey)) return true;
  for (const std::string& section : ButtonKeys()) {
    if (file.Find(kGroupSection, section)) return true;
    for (std::string_view key : {kButtonIdKey, kButtonFuncKey, kKeyNumberKey, kMacroNameKey}) {
      if (file.Find(section, key)) return true;
    }
  }
  return false;
}

void ProfileStore::LoadProfiles(SettingsBlock& block) const {
  for (int i = 0; i < kProfileCount; ++i) {
    const IniSnapshot file = IniFile(ProfilePath(data_folder_, i), io_).Load();
    // Every file carries the current profile; the last one read wins.
    block.CurrentProfile = file.ReadInt(kUnset, kGroupSection, kGroupIdKey);
    ReadProfile(file, block.Profiles[i], kProfileFileRules);
  }
}

Status ProfileStore::SaveProfiles() const {
  Status first_error;
  bool any_written = false;
  for (int i = 0; i < kProfileCount; ++i) {
    IniBatch file = IniFile(ProfilePath(data_folder_, i), io_).Edit();
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

int ProfileStore::ReloadProfiles() const {
  SettingsBlock buffer;
  InitSettings(buffer);
  LoadProfiles(buffer);
  ValidateSettings(buffer, live_);
  return live_.CurrentProfile;
}

}  // namespace vantix
