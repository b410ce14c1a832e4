// The macro files: one INI file per macro ("<name>.MSMACRO") and the macro
// index ("MacroSet.MSDB") in the macro folder "MacroDB/" of the data folder.
// The device agent reads both after a notice, and writes the index's
// "Device" section itself: the key order and encodings are a file format.
//
// A macro name is also a file name. A name that could leave the macro folder
// or is not a plain file name never reaches the file system, whatever the
// index holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/ini_file.h"
#include "settings/macro_model.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix {

inline constexpr std::string_view kMacroFileSuffix = ".MSMACRO";
inline constexpr std::string_view kMacroListSection = "MACRO_LIST";
inline constexpr std::string_view kMacroSettingSection = "Setting";

enum class MacroResult {
  kOk,           // done (CreateMacro: created)
  kExists,       // CreateMacro: the index lists the name already
  kNotFound,     // DeleteMacro: neither the index nor a file has the name
  kFull,         // fifteen macros already, or no free slot
  kInvalidName,  // the name cannot be a macro's name; nothing was touched
  kWriteFailed,  // a file could not be written or removed, or the folder's
                 // lock could not be had; status says why
};

struct MacroOutcome {
  MacroResult result = MacroResult::kOk;
  int slot = -1;  // CreateMacro, AddMacroName: the slot that holds the name
  Status status;  // the reason of kWriteFailed
  // LoadMacro: the macro file is damaged (over kMaxDataFileBytes) and read
  // as empty. CreateMacro, DeleteMacro: the index was damaged, and was moved
  // aside before being written anew.
  bool damaged = false;
  // LoadMacro: there was no file to read (missing, unreadable or damaged),
  // so the macro holds the defaults only.
  bool absent = false;
  bool ok() const { return result == MacroResult::kOk; }
};

// Whether a name may become a file name in the macro folder: not empty, not
// "." or "..", no '/', no NUL and no other control character.
bool IsSafeMacroName(std::string_view name);
// Whether a new macro may take the name: safe, well-formed UTF-8, at most 20
// UTF-16 units, and read back from the index as it was written (no
// surrounding spaces or quotes, which the INI rules strip).
bool IsValidNewMacroName(std::string_view name);

class MacroFiles {
 public:
  // data_folder is the DataFolder (a trailing '/' is added when missing).
  explicit MacroFiles(const std::string& data_folder, FileIo& io);

  const std::string& Folder() const { return folder_; }  // ends with '/'
  std::string IndexPath() const;
  // Nothing for a name that is not safe.
  std::optional<std::string> MacroFilePath(std::string_view name) const;

  // The fifteen slot values, read in one go. A damaged index (over
  // kMaxDataFileBytes) reads as empty; IndexDamaged tells.
  MacroSlots ReadSlots() const;
  bool IndexDamaged() const;
  // The non-empty slot values in slot order.
  std::vector<std::string> ReadMacroList() const;
  int CountMacros() const;
  // The first slot whose value equals name exactly, or -1 (also for an
  // empty name, which only free slots hold).
  int FindMacroSlot(std::string_view name) const;
  // Writes name into the first free slot; kFull when there is none.
  MacroOutcome AddMacroName(std::string_view name);
  // Slots 0..n-1 take the names in order, the rest are emptied; one
  // replacement of the index. At most fifteen names, none empty or holding
  // a line break.
  MacroOutcome RewriteMacroList(const std::vector<std::string>& names);

  // Writes the macro file of macro.name in one replacement.
  MacroOutcome SaveMacro(const MacroData& macro);
  // Reads the macro file of name into macro. A missing file, or a missing
  // or malformed event block, gives no events rather than keeping those of
  // the macro shown before; the other values take their defaults.
  MacroOutcome LoadMacro(std::string_view name, MacroData& macro) const;
  // Writes a new, empty macro file and adds the name to the index, as one
  // step under the macro folder's lock. A file of that name that the index
  // does not list (left by a writer that was stopped) is taken over. On
  // success macro is that new macro and slot its slot.
  MacroOutcome CreateMacro(std::string_view name, MacroData& macro);
  // Takes name out of the index as it is on disk (later names move up one
  // slot), then removes its file, as one step under the macro folder's lock.
  // A file the index does not list is removed; a name the index lists but
  // that cannot be a file name only leaves the index. A file that cannot be
  // removed leaves the index as it was.
  MacroOutcome DeleteMacro(std::string_view name);

 private:
  IniFile Index() const;
  std::string folder_;
  FileIo* io_;
};

}  // namespace vantix
