#include "macro/macro_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "settings/folders.h"
#include "settings/ini_document.h"
#include "settings/ini_file.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {

constexpr std::string_view kMacroPathKey = "MacroFilePath";
constexpr std::string_view kLoopTimeKey = "LoopTime";
constexpr std::string_view kLoopTypeKey = "LoopType";
constexpr std::string_view kDelayTypeKey = "DelayType";
constexpr std::string_view kCountKey = "Count";
constexpr std::string_view kEventsKey = "MacroSetting_0";

// What a file that lacks a key reads as.
constexpr std::int32_t kLoopTimeDefault = 1;
constexpr std::int32_t kLoopTypeDefault = kLoopTimes;
constexpr std::int32_t kDelayTypeDefault = kDelayNone;

std::string SlotKey(int slot) { return std::to_string(slot); }

MacroOutcome Failed(Status status) {
  MacroOutcome outcome;
  outcome.result = MacroResult::kWriteFailed;
  outcome.status = std::move(status);
  return outcome;
}

MacroOutcome Refused(MacroResult result) {
  MacroOutcome outcome;
  outcome.result = result;
  return outcome;
}

// A value the index can hold as one line, that does not read as a free slot.
bool FitsIndexLine(std::string_view name) {
  return !name.empty() && name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

MacroOutcome CheckList(const std::vector<std::string>& names) {
  if (names.size() > static_cast<std::size_t>(kMacroSlotCount)) return Refused(MacroResult::kFull);
  for (const std::string& name : names) {
    if (!FitsIndexLine(name)) return Refused(MacroResult::kInvalidName);
  }
  return {};
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

bool IsSafeMacroName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '/' || u < 0x20 || u == 0x7F;
  });
}

bool IsValidNewMacroName(std::string_view name) {
  if (!IsSafeMacroName(name) || !IsValidUtf8(name)) return false;
  if (Utf16Length(name) > kMacroNameMaxUnits) return false;
  // The index strips surrounding whitespace and one pair of quotes on
  // reading; such a name would no longer lead to its own file.
  return TrimIniWhitespace(name) == name && StripIniQuotes(name) == name;
}

MacroFiles::MacroFiles(const std::string& data_folder, FileIo& io)
    : folder_(WithTrailingSlash(data_folder) + std::string(kMacroFolderName)), io_(&io) {}

std::string MacroFiles::IndexPath() const { return folder_ + std::string(kMacroIndexFile); }

std::optional<std::string> MacroFiles::MacroFilePath(std::string_view name) const {
  if (!IsSafeMacroName(name)) return std::nullopt;
  return folder_ + std::string(name) + std::string(kMacroFileSuffix);
}

IniFile MacroFiles::Index() const { return IniFile(IndexPath(), *io_, kDataFile); }

bool MacroFiles::IndexDamaged() const { return Index().Load().Damaged(); }

MacroSlots MacroFiles::ReadSlots() const {
  const IniSnapshot index = Index().Load();
  MacroSlots slots;
  for (int k = 0; k < kMacroSlotCount; ++k) {
    slots[static_cast<std::size_t>(k)] = index.ReadString(kMacroListSection, SlotKey(k), "");
  }
  return slots;
}

std::vector<std::string> MacroFiles::ReadMacroList() const {
  std::vector<std::string> names;
  for (std::string& value : ReadSlots()) {
    if (!value.empty()) names.push_back(std::move(value));
  }
  return names;
}

int MacroFiles::CountMacros() const {
  const MacroSlots slots = ReadSlots();
  return static_cast<int>(
      std::count_if(slots.begin(), slots.end(), [](const std::string& v) { return !v.empty(); }));
}

int MacroFiles::FindMacroSlot(std::string_view name) const {
  // An empty value is a free slot, never a macro.
  if (name.empty()) return -1;
  const MacroSlots slots = ReadSlots();
  const auto found = std::find(slots.begin(), slots.end(), name);
  return found == slots.end() ? -1 : static_cast<int>(found - slots.begin());
}

MacroOutcome MacroFiles::AddMacroName(std::string_view name) {
  if (!IsSafeMacroName(name)) return Refused(MacroResult::kInvalidName);
  const MacroSlots slots = ReadSlots();
  const auto free = std::find(slots.begin(), slots.end(), std::string());
  if (free == slots.end()) return Refused(MacroResult::kFull);
  const int slot = static_cast<int>(free - slots.begin());
  IniBatch index = Index().Edit();
  index.WriteString(kMacroListSection, SlotKey(slot), name);
  if (Status status = index.Commit(); !status.ok()) return Failed(std::move(status));
  MacroOutcome outcome;
  outcome.slot = slot;
  return outcome;
}

MacroOutcome MacroFiles::RewriteMacroList(const std::vector<std::string>& names) {
  if (MacroOutcome check = CheckList(names); !check.ok()) return check;
  IniBatch index = Index().Edit();
  // Emptied first and then filled, so that a fresh index lists all fifteen
  // keys in slot order.
  for (int k = 0; k < kMacroSlotCount; ++k) index.WriteString(kMacroListSection, SlotKey(k), "");
  for (std::size_t j = 0; j < names.size(); ++j) {
    index.WriteString(kMacroListSection, SlotKey(static_cast<int>(j)), names[j]);
  }
  if (Status status = index.Commit(); !status.ok()) return Failed(std::move(status));
  return {};
}

MacroOutcome MacroFiles::SaveMacro(const MacroData& macro) {
  const std::optional<std::string> path = MacroFilePath(macro.name);
  if (!path) return Refused(MacroResult::kInvalidName);
  // One replacement: the agent may read the file at any moment and must
  // never see part of a macro.
  IniBatch file = IniFile(*path, *io_, kDataFile).Edit();
  file.WriteString(kMacroSettingSection, kMacroPathKey, *path);
  file.WriteInt(kMacroSettingSection, kLoopTimeKey, macro.LoopTime);
  file.WriteInt(kMacroSettingSection, kLoopTypeKey, macro.LoopType);
  file.WriteInt(kMacroSettingSection, kDelayTypeKey, macro.DelayType);
  file.WriteInt(kMacroSettingSection, kCountKey, macro.count);
  file.WriteStruct(kMacroSettingSection, kEventsKey, macro.events.data(), kMacroEventBytes);
  if (Status status = file.Commit(); !status.ok()) return Failed(std::move(status));
  return {};
}

MacroOutcome MacroFiles::LoadMacro(std::string_view name, MacroData& macro) const {
  const std::optional<std::string> path = MacroFilePath(name);
  if (!path) return Refused(MacroResult::kInvalidName);
  const IniSnapshot file = IniFile(*path, *io_, kDataFile).Load();
  macro.name = std::string(name);
  // Keeping the events of the macro shown before would let the next save
  // copy them into this macro's file.
  macro.events = {};
  file.ReadStruct(kMacroEventBytes, macro.events.data(), kMacroSettingSection, kEventsKey);
  macro.LoopTime = file.ReadInt(kLoopTimeDefault, kMacroSettingSection, kLoopTimeKey);
  macro.LoopType = file.ReadInt(kLoopTypeDefault, kMacroSettingSection, kLoopTypeKey);
  macro.DelayType = file.ReadInt(kDelayTypeDefault, kMacroSettingSection, kDelayTypeKey);
  // The stored "Count" is not trusted: the count is what the list shows.
  macro.count = CountListedEvents(macro.events);
  MacroOutcome outcome;
  outcome.damaged = file.Damaged();
  outcome.absent = !file.Readable();
  return outcome;
}

MacroOutcome MacroFiles::CreateMacro(std::string_view name, MacroData& macro) {
  // The index is read, checked and written as one step: another writer's
  // new or deleted macro cannot fall between.
  const FolderLock lock(*io_, folder_);
  if (!lock.held()) return Failed(lock.status());
  const bool damaged = IndexDamaged();
  const MacroSlots slots = ReadSlots();
  const auto used =
      std::count_if(slots.begin(), slots.end(), [](const std::string& v) { return !v.empty(); });
  if (used >= kMacroSlotCount) return Refused(MacroResult::kFull);
  if (!IsValidNewMacroName(name)) return Refused(MacroResult::kInvalidName);
  // A name already in the index would otherwise appear twice, with two
  // slots for one file.
  if (std::find(slots.begin(), slots.end(), name) != slots.end()) {
    return Refused(MacroResult::kExists);
  }
  const std::string path = *MacroFilePath(name);
  // A file no slot lists is what a writer stopped half way leaves behind;
  // no list shows it, so it must not keep the name from being used.
  if (PathExists(path) && ::unlink(path.c_str()) != 0) {
    return Failed(Status::Error("cannot remove " + path + ": " + std::strerror(errno)));
  }

  MacroData fresh;
  fresh.name = std::string(name);
  if (MacroOutcome saved = SaveMacro(fresh); !saved.ok()) return saved;
  MacroOutcome added = AddMacroName(name);
  if (!added.ok()) {
    ::unlink(path.c_str());
    return added;
  }
  added.damaged = damaged;
  macro = std::move(fresh);
  return added;
}

MacroOutcome MacroFiles::DeleteMacro(std::string_view name) {
  const FolderLock lock(*io_, folder_);
  if (!lock.held()) return Failed(lock.status());
  const bool damaged = IndexDamaged();
  const std::vector<std::string> before = ReadMacroList();
  std::vector<std::string> remaining = before;
  const auto found = std::find(remaining.begin(), remaining.end(), name);
  const std::optional<std::string> path = MacroFilePath(name);
  if (found == remaining.end()) {
    // Not listed: only a leftover file, which is removed.
    if (!path || !PathExists(*path)) return Refused(MacroResult::kNotFound);
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
      return Failed(Status::Error("cannot remove " + *path + ": " + std::strerror(errno)));
    }
    return {};
  }
  remaining.erase(found);
  struct stat st {};
  if (path && ::lstat(path->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    return Failed(Status::Error("cannot remove " + *path + ": is a folder"));
  }
  // The index first: a stop between the two steps leaves a file no slot
  // lists, which never blocks the name, rather than a listed macro without
  // its file.
  if (MacroOutcome rewritten = RewriteMacroList(remaining); !rewritten.ok()) return rewritten;
  if (path && ::unlink(path->c_str()) != 0 && errno != ENOENT) {
    const int err = errno;
    // Put the name back, so that a macro is never left as a file no list shows.
    std::ignore = RewriteMacroList(before);
    return Failed(Status::Error("cannot remove " + *path + ": " + std::strerror(err)));
  }
  MacroOutcome outcome;
  outcome.damaged = damaged;
  return outcome;
}

}  // namespace vantix
