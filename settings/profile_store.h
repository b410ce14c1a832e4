// The five profile files "RSProfile1.pfd" .. "RSProfile5.pfd" in the data
// folder, and single exported profiles. The device agent reads the same
// files: the order and format of their keys are a file format.
#pragma once

#include <string>
#include <vector>

#include "settings/file_io.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix {

// data_folder ends with '/'; index is 0..4.
std::string ProfilePath(const std::string& data_folder, int index);
// "ButtonAssigned_1" .. "ButtonAssigned_12" for button 0..11.
std::string ButtonKey(int button);

// Writes one profile as an exported file: the profile-file layout without
// "GroupID" and "LoopNumber". Keys already in the file that the export does
// not write stay.
Status ExportProfile(const std::string& path, const ProfileRecord& record, FileIo& io);
// Reads an exported (or profile) file into one record, unvalidated: a key the
// file lacks becomes unset. LoopNumber is kept. A file that holds no profile
// (missing, unreadable, over kMaxDataFileBytes, binary, or without any
// profile key in "GROUP") changes nothing and is reported with the reason.
Status ImportProfile(const std::string& path, ProfileRecord& record, FileIo& io);

// What a load found besides the values.
struct ProfileLoad {
  // Profile files over the size limit, read as defaults; the next save moves
  // each aside as "NAME.damaged-TIME".
  std::vector<std::string> damaged;
  bool any_damaged() const { return !damaged.empty(); }
};

class ProfileStore {
 public:
  ProfileStore(std::string data_folder, SettingsBlock& live, FileIo& io)
      : data_folder_(std::move(data_folder)), live_(live), io_(io) {}

  // Reads the five files into block (normally just initialised); values are
  // taken as read. Missing files and keys leave the load defaults, and so
  // do damaged files, which the result names.
  ProfileLoad LoadProfiles(SettingsBlock& block) const;
  // Writes the live block to the five files, each replaced in one step, all
  // under the data folder's lock; the first failure is reported, the other
  // files are written all the same. When the lock is busy nothing is
  // written and the result is lock_busy().
  Status SaveProfiles() const;
  // Writes only profile index (0..4) of the live block to its file: the
  // other files, and the current profile, stay as they are on disk ("GroupID"
  // is written only into a file that has none).
  Status SaveProfile(int index) const;
  // The data folder's lock, for a caller that reads, changes and saves as
  // one step (see FolderLock).
  FolderLock Lock() const { return FolderLock(io_, FolderOf(ProfilePath(data_folder_, 0))); }
  // Init, load, validate into the live block; returns the current profile.
  // load, when given, receives what the load found (damaged files).
  int ReloadProfiles(ProfileLoad* load = nullptr);
  // One button (0..11) of profile index (0..4) from its file, with the
  // defaults and repairs of ReloadProfiles: what a reload would give it.
  // The live block stays as it is.
  ButtonRecord LoadButton(int index, int button) const;

  const std::string& DataFolder() const { return data_folder_; }

 private:
  std::string data_folder_;
  SettingsBlock& live_;
  FileIo& io_;
};

}  // namespace vantix
